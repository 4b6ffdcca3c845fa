#pragma once
// The questions a page may ask about the user's certificates: whether one with a subject
// exists, the text of one of its extensions, and which certificates an issuer gave.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/status_codes.h"
#include "platform/crypt/cert_store.h"

namespace velsor::certs {

using status::kNoProviderContext;
using status::kNoSuchExtension;
using status::kStoreUnavailable;
inline constexpr std::int32_t kNoSuchCertificate = status::kNoCertificate;
inline constexpr std::int32_t kOidNotConvertible = status::kNotInCodePage;

// 1 when "MY" holds a certificate with exactly this subject (also in reverse RDN order),
// 0 when not or for an empty DN, -10019 or -10018 when the stores cannot be reached.
std::int32_t CertExists(std::u16string_view dn);

struct ExtensionText {
  std::int32_t status = 0;
  std::u16string text;
  // The text's size in bytes with its terminating zero, as a size query reports it.
  std::size_t byteSize() const { return (text.size() + 1) * sizeof(char16_t); }
};

// The display text of the extension `oid` of the certificate whose subject is exactly
// `dn`, searched in "CA", "ROOT", "AddressBOOK" and "MY". The OID is converted to the
// code page first (-10034 when it cannot be).
ExtensionText GetCertExtension(std::u16string_view dn, std::u16string_view oid,
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
