#include "platform/codepage/codepage.h"

#include <unicode/ucnv.h>

#include <limits>
#include <memory>
#include <new>
#include <string>

namespace velsor::codepage {
namespace {

struct ConverterClose {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterClose>;

ConverterPtr OpenConverter(std::uint32_t codePage) {
  auto name = ConverterName(codePage);
  if (!name) return nullptr;
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr converter{ucnv_open(std::string(*name).c_str(), &status)};
  if (U_FAILURE(status)) return nullptr;
  return converter;
}

bool IsUnicodeTransform(std::uint32_t codePage) {
  auto name = ConverterName(codePage);
  return name && (*name == "UTF-8" || *name == "UTF-7" || *name == "GB18030");
}

// Windows fills in a character the code page lacks with the code page's default
// character, '?', after trying its best-fit mappings (which ICU keeps as fallbacks).
// The Unicode transforms keep their own replacement.
void UseWindowsSubstitution(UConverter* converter, std::uint32_t codePage) {
  ucnv_setFallback(converter, true);
  if (IsUnicodeTransform(codePage)) return;
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setSubstChars(converter, "?", 1, &status);
}

// ICU's two passes: ask the size, then convert into exactly the room `allocate` gives for
// it (nothing: the conversion fails). Each conversion call resets the converter first.
// False when either pass fails.
template <class Unit, class Convert, class Allocate>
bool ConvertInTwoPasses(Convert&& convert, Allocate&& allocate) {
  UErrorCode status = U_ZERO_ERROR;
  const int32_t needed = convert(nullptr, 0, status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return false;
  Unit* out = allocate(static_cast<std::size_t>(needed));
  if (out == nullptr) return false;
  if (needed == 0) return true;
  status = U_ZERO_ERROR;
  // With exactly `needed` units the result is reported as unterminated, which is what
  // we asked for.
  return convert(out, needed, status) == needed && U_SUCCESS(status);
}

// The same into a string of its own.
template <class Output, class Convert>
std::optional<Output> ConvertToString(Convert&& convert) {
  Output output;
  const bool converted =
      ConvertInTwoPasses<typename Output::value_type>(convert, [&](std::size_t length) {
        output.resize(length);
        return output.data();
      });
  if (!converted) return std::nullopt;
  return output;
}

bool FitsIcuLength(std::size_t size) {
  return size <= static_cast<std::size_t>(std::numeric_limits<int32_t>::max());
}

}  // namespace

std::optional<std::string> ToCodePage(std::uint32_t codePage, std::u16string_view text) {
  ConverterPtr converter = OpenConverter(codePage);
  text = text.substr(0, text.find(u'\0'));
  if (!converter || !FitsIcuLength(text.size())) return std::nullopt;
  UseWindowsSubstitution(converter.get(), codePage);
  return ConvertToString<std::string>([&](char* out, int32_t room, UErrorCode& status) {
    return ucnv_fromUChars(converter.get(), out, room, text.data(),
                           static_cast<int32_t>(text.size()), &status);
  });
}

bool FromCodePageInto(std::uint32_t codePage, std::string_view bytes,
                      const std::function<char16_t*(std::size_t)>& allocate) {
  ConverterPtr converter = OpenConverter(codePage);
  if (!converter || bytes.empty() || !FitsIcuLength(bytes.size())) return false;
  const auto convert = [&](char16_t* out, int32_t room, UErrorCode& status) {
    return ucnv_toUChars(converter.get(), out, room, bytes.data(),
                         static_cast<int32_t>(bytes.size()), &status);
  };
  // An empty result counts as a failure, as the code page's own conversion reports it.
  return ConvertInTwoPasses<char16_t>(convert, [&](std::size_t length) -> char16_t* {
    return length == 0 ? nullptr : allocate(length);
  });
}

std::optional<std::u16string> FromCodePage(std::uint32_t codePage, std::string_view bytes) {
  std::u16string text;
  if (!FromCodePageInto(codePage, bytes, [&](std::size_t length) {
        text.resize(length);
        return text.data();
      })) {
    return std::nullopt;
  }
  return text;
}

}  // namespace velsor::codepage
