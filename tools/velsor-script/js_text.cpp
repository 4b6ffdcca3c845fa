#include "js_text.h"

#include <limits>
#include <new>

#include "platform/com/bstr.h"

namespace velsor::script {
namespace {

// Hands each UTF-16 unit of the engine's text to `put`.
template <class Put>
void DecodeScriptText(std::string_view internal, Put&& put) {
  for (std::size_t i = 0; i < internal.size();) {
    const auto lead = static_cast<unsigned char>(internal[i]);
    std::size_t length = lead < 0x80    ? 1
                         : lead >= 0xF0 ? 4
                         : lead >= 0xE0 ? 3
                         : lead >= 0xC0 ? 2
                                        : 0;
    if (length == 0 || i + length > internal.size()) {
      put(u'\uFFFD');  // never produced by the engine; kept visible if it is
      ++i;
      continue;
    }
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      code = (code << 6) | (static_cast<unsigned char>(internal[i + k]) & 0x3F);
    }
    i += length;
    if (code > 0xFFFF) {
      code -= 0x10000;
      put(static_cast<char16_t>(0xD800 + (code >> 10)));
      put(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      put(static_cast<char16_t>(code));
    }
  }
}

std::size_t ScriptLength(char16_t unit) { return unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3; }

}  // namespace

std::u16string ScriptToUtf16(std::string_view internal) {
  std::u16string out;
  out.reserve(internal.size());
  DecodeScriptText(internal, [&](char16_t unit) { out.push_back(unit); });
  return out;
}

BSTR ScriptToBstr(std::string_view internal) {
  // Counted first, so that big texts are held once as UTF-16, in the string itself.
  std::size_t units = 0;
  DecodeScriptText(internal, [&](char16_t) { ++units; });
  if (units > std::numeric_limits<UINT>::max() / 2) throw std::bad_alloc();
  BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(units));
  if (text == nullptr) throw std::bad_alloc();
  std::size_t at = 0;
  DecodeScriptText(internal, [&](char16_t unit) { text[at++] = unit; });
  return text;
}

std::string Utf16ToScript(std::u16string_view text) {
  std::size_t size = 0;
  for (char16_t unit : text) size += ScriptLength(unit);
  std::string out;
  out.reserve(size);
  for (char16_t unit : text) {
    if (unit < 0x80) {
      out.push_back(static_cast<char>(unit));
    } else if (unit < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (unit >> 6)));
      out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
      out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    }
  }
  return out;
}

}  // namespace velsor::script
