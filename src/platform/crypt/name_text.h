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

#include <string>
#include <string_view>

#include "platform/crypt/cert_context.h"

namespace velsor::crypt {

enum class NameSeparator { Comma, CrLf };

// The X500 form of a certificate's subject and issuer.
std::u16string SubjectText(const CertContext& certificate,
                           NameSeparator separator = NameSeparator::Comma);
std::u16string IssuerText(const CertContext& certificate,
                          NameSeparator separator = NameSeparator::Comma);
// The simple form of both.
std::u16string SubjectSimpleText(const CertContext& certificate);
std::u16string IssuerSimpleText(const CertContext& certificate);
// The issuer's first CN, else OU, else O, else E, else its first attribute's value.
std::u16string IssuerDisplayName(const CertContext& certificate);

}  // namespace velsor::crypt
