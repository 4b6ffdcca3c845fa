#pragma once
// The rules for DN text from a page, in one place: the platform's separator after commas,
// alternatives cut at the page's separator, RDNs the other way round, the short name that
// searches start from, and counting separators.

#include <string>
#include <string_view>
#include <vector>

namespace velsor::certs {

// A space after every comma that has none, as the platform writes names.
std::u16string NormalizeDn(std::u16string_view dn);

// The DN cut at every occurrence of the separator; an empty separator leaves it whole.
// n occurrences give n+1 pieces, empty ones included.
std::vector<std::u16string> DnPieces(std::u16string_view dn, std::u16string_view separator);

// "C=CN, O=Org, CN=Name" and "C=CN,O=Org,CN=Name" both become "CN=Name, O=Org, C=CN"; a
// comma inside a value counts like any other.
std::u16string ReverseDnOrder(std::u16string_view dn);

// The value after the first "CN=", else "E=", else "OU=", else "O=", up to the next comma;
// the whole DN when none of these keys occurs. Case-sensitive.
std::u16string ShortNameOfDn(std::u16string_view dn);

// Occurrences of `separator`, counted left to right without overlap; 0 for an empty one.
std::size_t CountSeparators(std::u16string_view dn, std::u16string_view separator);

}  // namespace velsor::certs
