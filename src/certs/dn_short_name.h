#pragma once
// The short form of a DN that the chooser shows and searches start from: the value after
// the first "CN=", else "E=", else "OU=", else "O=", up to the next comma; the whole DN
// when none of these keys occurs. The search is a plain, case-sensitive substring search.

#include <string>
#include <string_view>

namespace velsor::certs {

std::u16string ShortNameOfDn(std::u16string_view dn);

}  // namespace velsor::certs
