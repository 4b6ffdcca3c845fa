#include "certs/cert_selection.h"

#include "certs/cert_text.h"
#include "certs/dn_short_name.h"
#include "platform/status_codes.h"
#include "platform/crypt/cert_find.h"
#include "platform/hex.h"

namespace velsor::certs {
namespace {

std::u16string SubjectText(const crypt::CertContext& certificate) {
  const CertText text = GetCertText(&certificate, static_cast<int>(CertDetail::Subject));
  return text.status == kCertTextOk ? text.text : std::u16string();
}

// Whether a certificate takes part; nothing when its key link cannot be read in the
// signature-key family, which ends the whole operation.
std::optional<bool> Qualifies(const crypt::CertContext& certificate, KeyFamily family,
                              std::size_t storeCount) {
  if (family == KeyFamily::Plain) return storeCount != 1 || HasKeyProvInfo(certificate);
  DWORD keySpec = 0;
  if (GetCertKeySpec(certificate, keySpec) != 0) return std::nullopt;
  return keySpec == crypt::AT_SIGNATURE;
}

// The qualifying certificates of every store, in store and enumeration order; nothing
// when the operation must end.
std::optional<std::vector<crypt::CertContextPtr>> Candidates(
    std::span<const crypt::CertStore> stores, KeyFamily family) {
  std::vector<crypt::CertContextPtr> candidates;
  for (const crypt::CertStore& store : stores) {
    const auto certificates = store.Certificates();
    if (!certificates) continue;
    for (const auto& certificate : *certificates) {
      const auto qualifies = Qualifies(*certificate, family, stores.size());
      if (!qualifies) return std::nullopt;
      if (*qualifies) candidates.push_back(certificate);
    }
  }
  return candidates;
}

// Shows the chooser over `entries` and resolves the chosen one.
crypt::CertContextPtr ChooseFrom(std::span<const crypt::CertStore> stores,
                                 const CertEntryList& entries, const ChooserSetting& chooser) {
  CChooseCertDlg dialog(stores, entries.EntryCount(), entries, chooser.texts, chooser.host);
  const std::int32_t position = dialog.DoModal();
  if (position < 0 || position > kNodesPerEntry * entries.EntryCount()) return nullptr;
  return entries.ResolveEntry((position - 4) / kNodesPerEntry, stores);
}

// One match is taken without a dialog, several go to the chooser.
crypt::CertContextPtr Pick(std::span<const crypt::CertStore> stores, const CertEntryList& matches,
                           const ChooserSetting& chooser) {
  if (matches.EntryCount() == 1) return matches.ResolveEntry(0, stores);
  if (matches.EntryCount() > 1) return ChooseFrom(stores, matches, chooser);
  return nullptr;
}

bool HoldsAnyPiece(std::u16string_view subject, const std::vector<std::u16string>& pieces) {
  for (const auto& piece : pieces) {
    if (subject.find(piece) != std::u16string_view::npos) return true;
  }
  return false;
}

}  // namespace

std::u16string NormalizeDn(std::u16string_view dn) {
  std::u16string normal;
  for (std::size_t i = 0; i < dn.size(); ++i) {
    normal.push_back(dn[i]);
    if (dn[i] == u',' && (i + 1 == dn.size() || dn[i + 1] != u' ')) normal.push_back(u' ');
  }
  return normal;
}

std::vector<std::u16string> DnPieces(std::u16string_view dn, std::u16string_view separator) {
  if (separator.empty()) return {std::u16string(dn)};
  std::vector<std::u16string> pieces;
  std::size_t start = 0;
  for (auto at = dn.find(separator); at != std::u16string_view::npos;
       at = dn.find(separator, start)) {
    pieces.emplace_back(dn.substr(start, at - start));
    start = at + separator.size();
  }
  pieces.emplace_back(dn.substr(start));
  return pieces;
}

std::u16string ReverseDnOrder(std::u16string_view dn) {
  std::vector<std::u16string_view> rdns;
  std::size_t start = 0;
  for (auto comma = dn.find(u','); comma != std::u16string_view::npos;
       comma = dn.find(u',', start)) {
    rdns.push_back(dn.substr(start, comma - start));
    start = comma + 1;
    if (start < dn.size() && dn[start] == u' ') ++start;
  }
  rdns.push_back(dn.substr(start));
  std::u16string reversed;
  for (std::size_t i = rdns.size(); i-- > 0;) {
    reversed += rdns[i];
    if (i > 0) reversed += u", ";
  }
  return reversed;
}

std::vector<Bytes> ParseSerialNumbers(std::u16string_view serialNumbers) {
  std::vector<Bytes> serials;
  for (const std::u16string& piece : DnPieces(serialNumbers, u" ")) {
    if (serials.size() == kMaxSerialNumbers) break;
    if (piece.empty() || piece.size() % 2 != 0) continue;
    Bytes blob;
    bool valid = true;
    for (std::size_t i = 0; i < piece.size() && valid; i += 2) {
      const auto high = HexDigitValue(piece[i]);
      const auto low = HexDigitValue(piece[i + 1]);
      valid = high && low;
      if (valid) blob.push_back(static_cast<std::uint8_t>(*high << 4 | *low));
    }
    if (!valid) continue;
    std::reverse(blob.begin(), blob.end());
    serials.push_back(std::move(blob));
  }
  return serials;
}

std::int32_t GetCertKeySpec(const crypt::CertContext& certificate, DWORD& keySpec) {
  const auto stored = certificate.Property(crypt::CERT_KEY_PROV_INFO_PROP_ID);
  if (!stored) return 0;
  const auto link = crypt::DecodeKeyProvInfo(*stored);
  if (!link) return status::kKeyProvInfoUnreadable;
  keySpec = link->keySpec;
  return 0;
}

bool HasKeyProvInfo(const crypt::CertContext& certificate) {
  return certificate.KeyProviderInfo().has_value();
}

crypt::CertContextPtr SelectCertBySubject(std::span<const crypt::CertStore> stores,
                                          std::u16string_view dn, std::u16string_view separator,
                                          bool& found, bool chooserWhenNone,
                                          const ChooserSetting& chooser, KeyFamily family) {
  if (stores.empty()) return nullptr;
  const auto candidates = Candidates(stores, family);
  if (!candidates) return nullptr;
  const auto pieces = DnPieces(NormalizeDn(dn), separator);
  CertEntryList matches;
  for (const auto& certificate : *candidates) {
    const std::u16string subject = SubjectText(*certificate);
    if (!subject.empty() && HoldsAnyPiece(subject, pieces)) matches.AppendCertificate(*certificate);
  }
  if (matches.EntryCount() > 0) found = true;
  if (matches.EntryCount() == 0 && chooserWhenNone) return ChooseFrom(stores, matches, chooser);
  return Pick(stores, matches, chooser);
}

crypt::CertContextPtr SelectSignCertBySubject(std::span<const crypt::CertStore> stores,
                                              std::u16string_view dn, std::u16string_view separator,
                                              bool& found, bool chooserWhenNone,
                                              const ChooserSetting& chooser) {
  return SelectCertBySubject(stores, dn, separator, found, chooserWhenNone, chooser,
                             KeyFamily::Signature);
}

crypt::CertContextPtr ChooseCert(std::span<const crypt::CertStore> stores,
                                 const ChooserSetting& chooser, KeyFamily family) {
  if (stores.empty()) return nullptr;
  const auto candidates = Candidates(stores, family);
  if (!candidates) return nullptr;
  CertEntryList entries;
  for (const auto& certificate : *candidates) entries.AppendCertificate(*certificate);
  return ChooseFrom(stores, entries, chooser);
}

crypt::CertContextPtr ChooseSignCert(std::span<const crypt::CertStore> stores,
                                     const ChooserSetting& chooser) {
  return ChooseCert(stores, chooser, KeyFamily::Signature);
}

crypt::CertContextPtr SelectCertByIssuerSerial(std::span<const crypt::CertStore> stores,
                                               std::u16string_view serialNumbers,
                                               std::u16string_view issuerDn,
                                               const ChooserSetting& chooser, KeyFamily family) {
  if (stores.empty()) return nullptr;
  const auto serials = ParseSerialNumbers(serialNumbers);
  const auto candidates = Candidates(stores, family);
  if (!candidates) return nullptr;
  const std::u16string issuer = NormalizeDn(issuerDn);
  CertEntryList matches;
  for (const auto& certificate : *candidates) {
    for (const Bytes& serial : serials) {
      if (!crypt::IntegerBlobsEqual(certificate->serialBlob(), serial)) continue;
      const CertText issuerText =
          GetCertText(certificate.get(), static_cast<int>(CertDetail::Issuer));
      if (issuerText.status == kCertTextOk && issuerText.text == issuer) {
        matches.AppendCertificate(*certificate);
        break;
      }
    }
  }
  return Pick(stores, matches, chooser);
}

crypt::CertContextPtr SelectSignCertByIssuerSerial(std::span<const crypt::CertStore> stores,
                                                   std::u16string_view serialNumbers,
                                                   std::u16string_view issuerDn,
                                                   const ChooserSetting& chooser) {
  return SelectCertByIssuerSerial(stores, serialNumbers, issuerDn, chooser, KeyFamily::Signature);
}

crypt::CertContextPtr FindCertBySubject(std::span<const crypt::CertStore> stores,
                                        std::u16string_view dn, std::u16string_view separator) {
  const auto pieces = DnPieces(NormalizeDn(dn), separator);
  for (const crypt::CertStore& store : stores) {
    const auto certificates = store.Certificates();
    if (!certificates) continue;
    for (const auto& certificate : *certificates) {
      const std::u16string subject = SubjectText(*certificate);
      if (!subject.empty() && HoldsAnyPiece(subject, pieces)) return certificate;
    }
  }
  return nullptr;
}

crypt::CertContextPtr FindCertBySubjectDn(std::span<const crypt::CertStore> stores,
                                          std::u16string_view dn) {
  const std::u16string search = ShortNameOfDn(dn);
  const std::u16string normal = NormalizeDn(dn);
  for (const crypt::CertStore& store : stores) {
    const auto certificates = store.Certificates();
    if (!certificates) continue;
    for (const auto& candidate : crypt::FindBySubjectString(*certificates, search)) {
      if (SubjectText(*candidate) == normal) return candidate;
    }
  }
  return nullptr;
}

}  // namespace velsor::certs
