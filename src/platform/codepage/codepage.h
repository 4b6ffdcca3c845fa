#pragma once
// Conversion between page text (UTF-16) and byte strings in a Windows-numbered code page.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velsor::codepage {

inline constexpr std::uint32_t kAnsi = 0;  // the system's ANSI code page
inline constexpr std::uint32_t kGbk = 936;
inline constexpr std::uint32_t kGb18030 = 54936;
inline constexpr std::uint32_t kUtf8 = 65001;

// The text ends at its first zero character. Characters the code page cannot hold become
// its default character. Nothing when the code page is not supported.
std::optional<std::string> ToCodePage(std::uint32_t codePage, std::u16string_view text);

// Every byte is converted, zero bytes included. Nothing when the code page is not
// supported or the result would be empty.
std::optional<std::u16string> FromCodePage(std::uint32_t codePage, std::string_view bytes);

// The same conversion written into the room `allocate(length)` returns for exactly the
// text's length, so that a big text is held once. False when the code page is not
// supported or the result would be empty.
bool FromCodePageInto(std::uint32_t codePage, std::string_view bytes,
                      const std::function<char16_t*(std::size_t)>& allocate);

// Whether ASCII text without zero characters converts to the same bytes, as it does in
// every supported code page but UTF-7 (which spells some characters in Base64 runs).
bool KeepsAscii(std::uint32_t codePage);

// The name of the conversion table for a code page number (0 resolved first).
std::optional<std::string_view> ConverterName(std::uint32_t codePage);

// What code page 0 stands for: VELSOR_ACP when it names a supported code page, else the
// code page of the locale's character set (UTF-8 gives 65001).
std::uint32_t SystemAnsiCodePage();

// The code page that a locale character set name ("UTF-8", "GBK", "ISO-8859-1") stands for.
std::optional<std::uint32_t> CodePageOfCharset(std::string_view charset);

}  // namespace velsor::codepage
