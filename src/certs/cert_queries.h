#pragma once
// The questions a page may ask about the user's certificates: whether one with a subject
// exists, the text of one of its extensions, and which certificates an issuer gave.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/result.h"
#include "platform/base/status_codes.h"
#include "platform/crypt/cert_store.h"

namespace velsor::certs {

using status::kNoProviderContext;
using status::kNoSuchExtension;
using status::kStoreUnavailable;
inline constexpr std::int32_t kNoSuchCertificate = status::kNoCertificate;
inline constexpr std::int32_t kOidNotConvertible = status::kNotInCodePage;

// Whether "MY" holds a certificate with exactly this subject (also in reverse RDN order);
// false for an empty DN. kNoProviderContext or kStoreUnavailable when the stores cannot
// be reached.
Result<bool> CertExists(std::u16string_view dn);

// The display text of the extension `oid` of the certificate whose subject is exactly
// `dn`, searched in "CA", "ROOT", "AddressBOOK" and "MY". The OID is converted to the
// code page first (kOidNotConvertible when it cannot be); kNoSuchCertificate,
// kNoSuchExtension, and the failures of CertExists.
Result<std::u16string> GetCertExtension(std::u16string_view dn, std::u16string_view oid,
                                        std::uint32_t codePage);

// Appends to `subjects` the subject DNs of the certificates in `stores` whose issuer text
// is exactly the normalized `issuerDn`, never beyond `capacity` entries; the new count.
std::size_t EnumCertsDnByIssuers(std::span<const crypt::CertStore> stores,
                                 std::u16string_view issuerDn,
                                 std::vector<std::u16string>& subjects, std::size_t capacity);
// The same for several issuers in turn, the stores read once for all of them.
std::size_t EnumCertsDnByIssuers(std::span<const crypt::CertStore> stores,
                                 std::span<const std::u16string> issuerDns,
                                 std::vector<std::u16string>& subjects, std::size_t capacity);

}  // namespace velsor::certs
