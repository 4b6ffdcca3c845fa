#pragma once
// Hexadecimal digits in and out: the one place that knows them.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/base/bytes.h"

namespace velsor {

// The value of one hexadecimal digit of either case.
constexpr std::optional<std::uint8_t> HexDigitValue(char32_t c) {
  if (c >= U'0' && c <= U'9') return static_cast<std::uint8_t>(c - U'0');
  if (c >= U'A' && c <= U'F') return static_cast<std::uint8_t>(c - U'A' + 10);
  if (c >= U'a' && c <= U'f') return static_cast<std::uint8_t>(c - U'a' + 10);
  return std::nullopt;
}

enum class HexCase { Lower, Upper };

// Appends the two digits of `byte` to `text` (std::string or std::u16string).
template <class Text>
void AppendHexByte(Text& text, std::uint8_t byte, HexCase letters) {
  constexpr char kLower[] = "0123456789abcdef";
  constexpr char kUpper[] = "0123456789ABCDEF";
  const char* digits = letters == HexCase::Upper ? kUpper : kLower;
  text.push_back(static_cast<typename Text::value_type>(digits[byte >> 4]));
  text.push_back(static_cast<typename Text::value_type>(digits[byte & 15]));
}

// Two digits a byte, with `separator` between bytes when it is not zero.
inline std::string HexText(ByteView bytes, HexCase letters, char separator = '\0') {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0 && separator != '\0') text.push_back(separator);
    AppendHexByte(text, bytes[i], letters);
  }
  return text;
}

}  // namespace velsor
