#include "certs/cert_selection.h"

#include <algorithm>

#include "certs/cert_text.h"
#include "platform/base/hex.h"
#include "platform/base/status_codes.h"
#include "platform/crypt/cert_find.h"
#include "platform/crypt/dn_text.h"
#include "platform/crypt/name_text.h"

namespace velsor::certs {
namespace {

// A certificate a selection considers: its store and the names kept beside it. Only the
// ones a selection keeps are decoded.
struct Candidate {
  const crypt::CertStore* store;
  crypt::StoredCertNames names;
};

crypt::CertContextPtr Decoded(const Candidate& candidate) {
  auto certificate = candidate.store->Certificate(candidate.names.id);
  return certificate ? std::move(*certificate) : nullptr;
}

// The key spec of a stored key link: 0 with its key spec, -10027 when the link cannot be
// read, and 0 with `keySpec` untouched without a link.
Result<std::optional<DWORD>> KeySpecOfLink(const std::optional<Bytes>& stored) {
  if (!stored) return std::optional<DWORD>();
  const auto link = crypt::DecodeKeyProvInfo(*stored);
  if (!link) return Failure(status::kKeyProvInfoUnreadable, "unreadable key link");
  return std::optional<DWORD>(link->keySpec);
}

bool IsReadableLink(const std::optional<Bytes>& stored) {
  const Result<std::optional<DWORD>> keySpec = KeySpecOfLink(stored);
  return keySpec && keySpec->has_value();
}

// Whether a certificate takes part; nothing when its key link cannot be read in the
// signature-key family, which ends the whole operation.
std::optional<bool> Qualifies(const crypt::StoredCertNames& names, KeyFamily family,
                              std::size_t storeCount) {
  if (family == KeyFamily::Plain) return storeCount != 1 || IsReadableLink(names.keyProvInfo);
  const Result<std::optional<DWORD>> keySpec = KeySpecOfLink(names.keyProvInfo);
  if (!keySpec) return std::nullopt;
  return *keySpec == crypt::AT_SIGNATURE;
}

// The qualifying certificates of every store, in store and enumeration order; nothing
// when the operation must end.
std::optional<std::vector<Candidate>> Candidates(std::span<const crypt::CertStore> stores,
                                                 KeyFamily family) {
  std::vector<Candidate> candidates;
  bool unreadableLink = false;
  // Without a key link a certificate qualifies only among several stores in the plain
  // family, so otherwise the others need not be read at all.
  const auto which = family == KeyFamily::Plain && stores.size() != 1
                         ? crypt::CertStore::Visit::All
                         : crypt::CertStore::Visit::WithKeyLink;
  for (const crypt::CertStore& store : stores) {
    store.VisitNames(
        [&](const crypt::StoredCertNames& names) {
          const auto qualifies = Qualifies(names, family, stores.size());
          if (!qualifies) unreadableLink = true;
          if (qualifies && *qualifies) candidates.push_back({&store, names});
          return !unreadableLink;
        },
        which);
    if (unreadableLink) return std::nullopt;
  }
  return candidates;
}

// The entries of the candidates `keep` accepts, each decoded for its entry texts.
template <class Keep>
CertEntryList EntriesOf(const std::vector<Candidate>& candidates, Keep&& keep) {
  CertEntryList entries;
  for (const Candidate& candidate : candidates) {
    if (!keep(candidate.names)) continue;
    if (const auto certificate = Decoded(candidate)) entries.AppendCertificate(*certificate);
  }
  return entries;
}

// The first certificate of the stores, in order, whose names `matches` accepts.
template <class Matches>
crypt::CertContextPtr FirstMatching(std::span<const crypt::CertStore> stores, Matches&& matches) {
  for (const crypt::CertStore& store : stores) {
    if (auto found = store.Matching(matches, 1); !found.empty()) return found.front();
  }
  return nullptr;
}

// Shows the chooser over `entries` and resolves the chosen one.
crypt::CertContextPtr ChooseFrom(std::span<const crypt::CertStore> stores,
                                 const CertEntryList& entries, const ChooserSetting& chooser) {
  CChooseCertDlg dialog(stores, entries.EntryCount(), entries, chooser.texts, chooser.host);
  const std::int32_t position = dialog.DoModal();
  if (position < 0 || position > kNodesPerEntry * entries.EntryCount()) return nullptr;
  return entries.ResolveEntry((position - 4) / kNodesPerEntry, stores);
}

// One match is taken without a dialog (unless a web page asks for a key), several go to
// the chooser.
crypt::CertContextPtr Pick(std::span<const crypt::CertStore> stores, const CertEntryList& matches,
                           const ChooserSetting& chooser) {
  const bool consent = chooser.privateKeyUse && !chooser.host.Requester().empty();
  if (matches.EntryCount() == 1 && !consent) return matches.ResolveEntry(0, stores);
  if (matches.EntryCount() >= 1) return ChooseFrom(stores, matches, chooser);
  return nullptr;
}

bool HoldsAnyPiece(std::u16string_view subject, const std::vector<std::u16string>& pieces) {
  if (subject.empty()) return false;
  for (const auto& piece : pieces) {
    if (subject.find(piece) != std::u16string_view::npos) return true;
  }
  return false;
}

}  // namespace

std::vector<Bytes> ParseSerialNumbers(std::u16string_view serialNumbers) {
  std::vector<Bytes> serials;
  for (const std::u16string& piece : crypt::DnPieces(serialNumbers, u" ")) {
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

Result<std::optional<DWORD>> LinkedKeySpec(const crypt::CertContext& certificate) {
  return KeySpecOfLink(certificate.Property(crypt::CERT_KEY_PROV_INFO_PROP_ID));
}

SubjectSelection SelectCertBySubject(std::span<const crypt::CertStore> stores,
                                     std::u16string_view dn, std::u16string_view separator,
                                     bool chooserWhenNone, const ChooserSetting& chooser,
                                     KeyFamily family) {
  if (stores.empty()) return {};
  const auto candidates = Candidates(stores, family);
  if (!candidates) return {};
  const auto pieces = crypt::DnPieces(crypt::NormalizeDn(dn), separator);
  const CertEntryList matches = EntriesOf(*candidates, [&](const crypt::StoredCertNames& names) {
    return HoldsAnyPiece(names.subject, pieces);
  });
  if (matches.EntryCount() == 0) {
    return {chooserWhenNone ? ChooseFrom(stores, matches, chooser) : nullptr, false};
  }
  return {Pick(stores, matches, chooser), true};
}

crypt::CertContextPtr ChooseCert(std::span<const crypt::CertStore> stores,
                                 const ChooserSetting& chooser, KeyFamily family) {
  if (stores.empty()) return nullptr;
  const auto candidates = Candidates(stores, family);
  if (!candidates) return nullptr;
  return ChooseFrom(stores, EntriesOf(*candidates, [](const auto&) { return true; }), chooser);
}

crypt::CertContextPtr SelectCertByIssuerSerial(std::span<const crypt::CertStore> stores,
                                               std::u16string_view serialNumbers,
                                               std::u16string_view issuerDn,
                                               const ChooserSetting& chooser, KeyFamily family) {
  if (stores.empty()) return nullptr;
  const auto serials = ParseSerialNumbers(serialNumbers);
  const auto candidates = Candidates(stores, family);
  if (!candidates) return nullptr;
  const std::u16string issuer = crypt::NormalizeDn(issuerDn);
  const CertEntryList matches = EntriesOf(*candidates, [&](const crypt::StoredCertNames& names) {
    if (names.issuer != issuer) return false;
    return std::any_of(serials.begin(), serials.end(), [&](const Bytes& serial) {
      return crypt::IntegerBlobsEqual(names.serialBlob, serial);
    });
  });
  return Pick(stores, matches, chooser);
}

crypt::CertContextPtr FindCertBySubject(std::span<const crypt::CertStore> stores,
                                        std::u16string_view dn, std::u16string_view separator) {
  const auto pieces = crypt::DnPieces(crypt::NormalizeDn(dn), separator);
  return FirstMatching(stores, [&](const crypt::StoredCertNames& names) {
    return HoldsAnyPiece(names.subject, pieces);
  });
}

crypt::CertContextPtr FindCertBySubjectDn(std::span<const crypt::CertStore> stores,
                                          std::u16string_view dn) {
  const crypt::ExactDn exact(dn);
  return FirstMatching(stores, [&](const crypt::StoredCertNames& names) {
    return exact.Matches(names.subject, names.subjectSimple);
  });
}

}  // namespace velsor::certs
