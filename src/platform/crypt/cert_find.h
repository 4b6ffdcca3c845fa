#pragma once
// Searches over a store's certificates in enumeration order, as the platform's find
// operations do, and the comparison of integer blobs.

#include <string_view>
#include <vector>

#include "platform/crypt/cert_context.h"

namespace velsor::crypt {

// Case-insensitive substring search, as the subject and issuer string searches do.
bool ContainsIgnoringCase(std::u16string_view text, std::u16string_view part);

// Certificates whose subject, in simple text form, contains `part` without regard to case.
std::vector<CertContextPtr> FindBySubjectString(const std::vector<CertContextPtr>& certificates,
                                                std::u16string_view part);

// Whether two integers held least significant byte first are equal, ignoring leading
// bytes that only extend the sign (0x00 for positive, 0xFF for negative values).
bool IntegerBlobsEqual(ByteView first, ByteView second);

}  // namespace velsor::crypt
