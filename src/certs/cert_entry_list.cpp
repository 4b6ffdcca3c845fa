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
  const Result<std::u16string> text = GetCertText(certificate, detail);
  if (!text || text->empty()) return std::u16string(fallback);
  return shortName ? crypt::ShortNameOfDn(*text) : *text;
}

}  // namespace

void CertEntryList::AppendCertificate(const crypt::CertContext& certificate) {
  nodes_.emplace_back(TextOr(certificate, CertDetail::Subject, kNoSubject, true));
  nodes_.emplace_back(TextOr(certificate, CertDetail::Issuer, kNoIssuer, true));
  nodes_.emplace_back(TextOr(certificate, CertDetail::NotAfter, kNoExpiry, false));
  nodes_.emplace_back(TextOr(certificate, CertDetail::SerialNumber, kNoSerial, false));
  const ByteView issuer = certificate.encodedIssuer();
  const ByteView index = issuer.empty() ? ByteView(kNoIssuerIndex) : issuer;
  nodes_.emplace_back(Bytes(index.begin(), index.end()));
}

template <class Value>
const Value* CertEntryList::Node(std::int32_t entry, EntryField field) const {
  if (entry < 0 || entry >= EntryCount()) return nullptr;
  const auto position =
      static_cast<std::size_t>(entry) * kNodesPerEntry + static_cast<std::size_t>(field);
  return std::get_if<Value>(&nodes_[position]);
}

std::optional<std::u16string> CertEntryList::EntryText(std::int32_t entry, EntryField field) const {
  const auto* text = Node<std::u16string>(entry, field);
  if (text == nullptr) return std::nullopt;
  return *text;
}

crypt::CertContextPtr CertEntryList::ResolveEntry(std::int32_t entry,
                                                  std::span<const crypt::CertStore> stores) const {
  const auto* serial = Node<std::u16string>(entry, EntryField::Serial);
  const auto* issuer = Node<Bytes>(entry, EntryField::EncodedIssuer);
  if (serial == nullptr || issuer == nullptr) return nullptr;
  return FindCertByIssuerAndSerial(stores, *issuer, *serial);
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
