#pragma once
// Extensions of a certificate by OID, and their display text on one line: OpenSSL's
// printed form with its line breaks joined by ", ", or for an extension OpenSSL cannot
// print, its value's bytes in lower-case hex separated by spaces.

#include <optional>
#include <string>
#include <string_view>

#include "platform/crypt/cert_context.h"

namespace velsor::crypt {

// The display text of the certificate's extension with this dotted OID; nothing when it
// has none.
std::optional<std::u16string> ExtensionText(const CertContext& certificate, std::string_view oid);

}  // namespace velsor::crypt
