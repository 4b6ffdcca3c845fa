#pragma once
// UTF-8 and UTF-16 in both directions; ill-formed input becomes U+FFFD.

#include <optional>
#include <string>
#include <string_view>

namespace velsor::codepage {

std::u16string Utf8ToUtf16(std::string_view text);
// Nothing when `text` is not well-formed UTF-8.
std::optional<std::u16string> WellFormedUtf8ToUtf16(std::string_view text);

// Text known to be ASCII (numbers, names of our own), one unit for one character.
inline std::u16string AsciiToUtf16(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }
std::string Utf16ToUtf8(std::u16string_view text);

// Unicode case folding, for comparisons that ignore case in any script.
std::u16string FoldCase(std::u16string_view text);

}  // namespace velsor::codepage
