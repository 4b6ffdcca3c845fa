// UTF-8 and UTF-16 through the system's converters; ill-formed input becomes U+FFFD.

#include "platform/codepage/utf.h"

#include <windows.h>

#include <limits>

namespace velsor::codepage {
namespace {

bool FitsInt(std::size_t size) {
  return size <= static_cast<std::size_t>(std::numeric_limits<int>::max());
}

std::optional<std::u16string> FromUtf8(std::string_view text, DWORD flags) {
  if (text.empty()) return std::u16string();
  if (!FitsInt(text.size())) return std::nullopt;
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_UTF8, flags, text.data(), length, nullptr, 0);
  if (size <= 0) return std::nullopt;
  std::u16string wide(static_cast<std::size_t>(size), u'\0');
  MultiByteToWideChar(CP_UTF8, flags, text.data(), length, reinterpret_cast<wchar_t*>(wide.data()),
                      size);
  return wide;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) { return FromUtf8(text, 0).value_or(u""); }

std::optional<std::u16string> WellFormedUtf8ToUtf16(std::string_view text) {
  return FromUtf8(text, MB_ERR_INVALID_CHARS);
}

std::string Utf16ToUtf8(std::u16string_view text) {
  if (text.empty() || !FitsInt(text.size())) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

std::u16string FoldCase(std::u16string_view text) {
  if (text.empty() || !FitsInt(text.size())) return std::u16string(text);
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const DWORD flags = LCMAP_LOWERCASE | LCMAP_LINGUISTIC_CASING;
  const int size =
      LCMapStringEx(LOCALE_NAME_INVARIANT, flags, wide, length, nullptr, 0, nullptr, nullptr, 0);
  if (size <= 0) return std::u16string(text);
  std::u16string folded(static_cast<std::size_t>(size), u'\0');
  LCMapStringEx(LOCALE_NAME_INVARIANT, flags, wide, length,
                reinterpret_cast<wchar_t*>(folded.data()), size, nullptr, nullptr, 0);
  return folded;
}

}  // namespace velsor::codepage
