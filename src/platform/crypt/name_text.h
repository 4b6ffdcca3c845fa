#pragma once
// The text forms of a distinguished name.
//
// X500 form: RDNs in encoded order joined by ", " (or "\r\n"), attributes of one RDN
// joined by " + ", each as KEY=value with the short keys CN, L, O, OU, E, C, S, STREET,
// T, G, I, SN, DC, SERIALNUMBER, PostalCode, Description, dnQualifier, and OID.<dotted>
// for the rest. A value is quoted when it begins or ends with white space or holds any of
// , + = " \n < > # ; and an inner quote is doubled.
//
// Simple form: the values alone, quoted by the same rule and joined the same way; it is
// what subject and issuer searches match against, so a quoted value is found by its
// quoted text.

#include <openssl/x509.h>

#include <string>

namespace velsor::crypt {

enum class NameSeparator { Comma, CrLf };

std::u16string X500NameText(const X509_NAME* name, NameSeparator separator = NameSeparator::Comma);
std::u16string SimpleNameText(const X509_NAME* name);

// The first CN, else OU, else O, else E, else the first attribute's value.
std::u16string SimpleDisplayName(const X509_NAME* name);

// The value of an attribute as text, decoded from its string type.
std::u16string AttributeValueText(const ASN1_STRING* value);

// Case-insensitive substring search, as the subject and issuer string searches do.
bool ContainsIgnoringCase(std::u16string_view text, std::u16string_view part);

}  // namespace velsor::crypt
