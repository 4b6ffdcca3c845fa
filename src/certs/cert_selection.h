#pragma once
// Finding the certificate an operation is to use: by subject DN (one DN, or alternatives
// joined by the page's separator), by serial number and issuer DN, or through the
// chooser. Every operation searches the stores in the order given and answers one
// certificate or none; it closes no store it was given.
//
// Which certificates take part depends on the family. Plain: with a single store only
// those linked to a private key, with several stores all. Signature key: only those whose
// linked key is a signature key, whatever the stores.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "certs/choose_cert_dlg.h"
#include "platform/base/result.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/dn_text.h"
#include "platform/ui/dialog_host.h"

namespace velsor::certs {

enum class KeyFamily { Plain, Signature };

inline constexpr std::size_t kMaxSerialNumbers = 20;

// What the chooser needs besides the candidates. For a key the user is to use on a web
// page's behalf, a single match is shown in the chooser too, so that the user consents.
struct ChooserSetting {
  const ChooserTexts& texts;
  ui::DialogHost& host;
  bool privateKeyUse = false;
};

// What a selection by subject found: the certificate (none when nothing matched, the
// chooser was cancelled or the choice could not be resolved), and whether anything matched
// at all, which tells a cancelled choice from a DN that named nothing.
struct SubjectSelection {
  crypt::CertContextPtr certificate;
  bool matched = false;
};

// Matches the pieces of `dn` against subjects; one match is returned at once, several go
// to the chooser, none to an empty chooser only when `chooserWhenNone`.
SubjectSelection SelectCertBySubject(std::span<const crypt::CertStore> stores,
                                     std::u16string_view dn, std::u16string_view separator,
                                     bool chooserWhenNone, const ChooserSetting& chooser,
                                     KeyFamily family = KeyFamily::Plain);

// Always shows the chooser with every qualifying certificate.
crypt::CertContextPtr ChooseCert(std::span<const crypt::CertStore> stores,
                                 const ChooserSetting& chooser,
                                 KeyFamily family = KeyFamily::Plain);

// Serial numbers in hexadecimal separated by spaces, with an issuer DN that the
// certificate's issuer text must equal exactly.
crypt::CertContextPtr SelectCertByIssuerSerial(std::span<const crypt::CertStore> stores,
                                               std::u16string_view serialNumbers,
                                               std::u16string_view issuerDn,
                                               const ChooserSetting& chooser,
                                               KeyFamily family = KeyFamily::Plain);

// The first certificate of any store whose subject holds a piece of `dn`; no chooser and
// no qualifying rule.
crypt::CertContextPtr FindCertBySubject(std::span<const crypt::CertStore> stores,
                                        std::u16string_view dn, std::u16string_view separator);

// The first certificate whose whole subject text equals the normalized `dn`.
crypt::CertContextPtr FindCertBySubjectDn(std::span<const crypt::CertStore> stores,
                                          std::u16string_view dn);

// Serial numbers as integer blobs (least significant byte first); pieces of odd length or
// with other characters than hex digits are left out, and at most 20 are kept.
std::vector<Bytes> ParseSerialNumbers(std::u16string_view serialNumbers);

// The key spec of the certificate's link to its key, as the selections read it: nothing
// without a link, status::kKeyProvInfoUnreadable when the link cannot be read.
Result<std::optional<DWORD>> LinkedKeySpec(const crypt::CertContext& certificate);

}  // namespace velsor::certs
