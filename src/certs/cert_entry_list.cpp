#include "certs/cert_entry_list.h"

#include <algorithm>

#include "certs/cert_info.h"
#include "certs/cert_text.h"
#include "platform/crypt/dn_text.h"

namespace velsor::certs {
namespace {

constexpr std::u16string_view kNoSubject = u"没有主题";
constexpr std::u16string_view kNoIssuer = u"没有颁发者";
constexpr std::u16string_view kNoExpiry = u"没有截止日期";
constexpr std::u16string_view kNoSerial = u"没有序列号";
// "没有主题索引" in code page 936.
constexpr std::uint8_t kNoIssuerIndex[] = {0xC3, 0xBB, 0xD3, 0xD0, 0xD6, 0xF7,
                                           0xCC, 0xE2, 0xCB, 0xF7, 0xD2, 0xFD};

std::u16string TextOr(const crypt::CertContext& certificate, CertDetail detail,
                      std::u16string_view fallback, bool shortName) {
  const CertText text = GetCertText(&certificate, detail);
  if (text.status != kCertTextOk || text.text.empty()) return std::u16string(fallback);
  return shortName ? crypt::ShortNameOfDn(text.text) : text.text;
}

}  // namespace

std::int32_t CertEntryList::AppendBytes(ByteView bytes) {
  if (bytes.empty()) return kEntryListNoValue;
  nodes_.emplace_back(Bytes(bytes.begin(), bytes.end()));
  return kEntryListOk;
}

std::int32_t CertEntryList::AppendText(std::u16string_view text) {
  if (text.empty()) return kEntryListNoValue;
  nodes_.emplace_back(std::u16string(text));
  return kEntryListOk;
}

void CertEntryList::AppendCertificate(const crypt::CertContext& certificate) {
  AppendText(TextOr(certificate, CertDetail::Subject, kNoSubject, true));
  AppendText(TextOr(certificate, CertDetail::Issuer, kNoIssuer, true));
  AppendText(TextOr(certificate, CertDetail::NotAfter, kNoExpiry, false));
  AppendText(TextOr(certificate, CertDetail::SerialNumber, kNoSerial, false));
  const ByteView issuer = certificate.encodedIssuer();
  AppendBytes(issuer.empty() ? ByteView(kNoIssuerIndex) : issuer);
}

std::int32_t CertEntryList::ReadBytes(std::int32_t position, Bytes& out) const {
  if (position < 0) return kEntryListNegativePosition;
  if (position >= Count()) return kEntryListNoValue;
  const auto* bytes = std::get_if<Bytes>(&nodes_[static_cast<std::size_t>(position)]);
  if (bytes == nullptr) return kEntryListNoValue;
  out = *bytes;
  return kEntryListOk;
}

std::int32_t CertEntryList::ReadText(std::int32_t position, std::u16string& out) const {
  if (position < 0) return kEntryListNegativePosition;
  if (position >= Count()) return kEntryListNoValue;
  const auto* text = std::get_if<std::u16string>(&nodes_[static_cast<std::size_t>(position)]);
  if (text == nullptr) return kEntryListNoValue;
  out = *text;
  return kEntryListOk;
}

std::optional<std::u16string> CertEntryList::EntryText(std::int32_t entry, EntryField field) const {
  std::u16string text;
  if (entry < 0 ||
      ReadText(entry * kNodesPerEntry + static_cast<std::int32_t>(field), text) != kEntryListOk) {
    return std::nullopt;
  }
  return text;
}

crypt::CertContextPtr CertEntryList::ResolveEntry(std::int32_t entry,
                                                  std::span<const crypt::CertStore> stores) const {
  Bytes issuer;
  const auto serial = EntryText(entry, EntryField::Serial);
  if (!serial ||
      ReadBytes(entry * kNodesPerEntry + static_cast<std::int32_t>(EntryField::EncodedIssuer),
                issuer) != kEntryListOk) {
    return nullptr;
  }
  return FindCertByIssuerAndSerial(stores, issuer, *serial);
}

crypt::CertContextPtr FindCertByIssuerAndSerial(std::span<const crypt::CertStore> stores,
                                                ByteView encodedIssuer,
                                                std::u16string_view serialText) {
  for (const crypt::CertStore& store : stores) {
    const auto found = store.Matching(
        [&](const crypt::StoredCertNames& names) {
          return std::equal(names.encodedIssuer.begin(), names.encodedIssuer.end(),
                            encodedIssuer.begin(), encodedIssuer.end()) &&
                 SerialText(names.serialBlob) == serialText;
        },
        1);
    if (!found.empty()) return found.front();
  }
  return nullptr;
}

}  // namespace velsor::certs
