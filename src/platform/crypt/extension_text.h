#pragma once
// Extensions of a certificate by OID, and their display text on one line: OpenSSL's
// printed form with its line breaks joined by ", ", or for an extension OpenSSL cannot
// print, its value's bytes in lower-case hex separated by spaces.

#include <optional>
#include <string>
#include <string_view>

#include "platform/crypt/cert_context.h"

namespace velsor::crypt {

// Nothing when the certificate has no extension with this dotted OID.
const X509_EXTENSION* FindExtension(const CertContext& certificate, std::string_view oid);

std::u16string ExtensionDisplayText(const X509_EXTENSION& extension);

}  // namespace velsor::crypt
