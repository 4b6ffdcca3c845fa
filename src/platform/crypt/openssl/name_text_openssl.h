#pragma once
// The name texts of name_text.h over OpenSSL's names, for the POSIX service's own code,
// POSIX tools and tests.

#include <openssl/x509.h>

#include <string>

#include "platform/crypt/name_text.h"

namespace velsor::crypt {

std::u16string X500NameText(const X509_NAME* name, NameSeparator separator = NameSeparator::Comma);
std::u16string SimpleNameText(const X509_NAME* name);
// The first CN, else OU, else O, else E, else the first attribute's value.
std::u16string SimpleDisplayName(const X509_NAME* name);
// The value of an attribute as text, decoded from its string type; a value that is not a
// string (a BIT STRING, say) as "#" and the hex of its DER.
std::u16string AttributeValueText(const ASN1_STRING* value);

}  // namespace velsor::crypt
