// Code-page conversion on the system's own tables (MultiByteToWideChar and
// WideCharToMultiByte), which are the ones pages were written against.

#include "platform/codepage/codepage.h"

#include <windows.h>

#include <limits>

namespace velsor::codepage {
namespace {

bool Supported(std::uint32_t codePage) { return ConverterName(codePage).has_value(); }

std::uint32_t Resolved(std::uint32_t codePage) {
  return codePage == kAnsi ? SystemAnsiCodePage() : codePage;
}

bool FitsInt(std::size_t size) {
  return size <= static_cast<std::size_t>(std::numeric_limits<int>::max());
}

}  // namespace

std::optional<std::string> ToCodePage(std::uint32_t codePage, std::u16string_view text) {
  if (!Supported(codePage)) return std::nullopt;
  const UINT page = Resolved(codePage);
  text = text.substr(0, text.find(u'\0'));
  if (text.empty()) return std::string();
  if (!FitsInt(text.size())) return std::nullopt;
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(page, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (WideCharToMultiByte(page, 0, wide, length, bytes.data(), size, nullptr, nullptr) != size) {
    return std::nullopt;
  }
  return bytes;
}

bool FromCodePageInto(std::uint32_t codePage, std::string_view bytes,
                      const std::function<char16_t*(std::size_t)>& allocate) {
  if (!Supported(codePage) || bytes.empty() || !FitsInt(bytes.size())) return false;
  const UINT page = Resolved(codePage);
  const int length = static_cast<int>(bytes.size());
  const int size = MultiByteToWideChar(page, 0, bytes.data(), length, nullptr, 0);
  if (size <= 0) return false;
  char16_t* room = allocate(static_cast<std::size_t>(size));
  return room != nullptr && MultiByteToWideChar(page, 0, bytes.data(), length,
                                                reinterpret_cast<wchar_t*>(room), size) == size;
}

std::optional<std::u16string> FromCodePage(std::uint32_t codePage, std::string_view bytes) {
  std::u16string text;
  if (!FromCodePageInto(codePage, bytes, [&text](std::size_t length) {
        text.resize(length);
        return text.data();
      })) {
    return std::nullopt;
  }
  return text;
}

}  // namespace velsor::codepage
