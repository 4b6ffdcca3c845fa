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

// ICU's two passes: ask the size, then convert into exactly that room. Each conversion
// call resets the converter first.
template <class Output, class Convert>
std::optional<Output> ConvertInTwoPasses(Convert&& convert) {
  UErrorCode status = U_ZERO_ERROR;
  const int32_t needed = convert(nullptr, 0, status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
  Output output(static_cast<std::size_t>(needed), typename Output::value_type{});
  if (needed == 0) return output;
  status = U_ZERO_ERROR;
  // With exactly `needed` units the result is reported as unterminated, which is what
  // we asked for.
  const int32_t written = convert(output.data(), needed, status);
  if (U_FAILURE(status) || written != needed) return std::nullopt;
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
  return ConvertInTwoPasses<std::string>([&](char* out, int32_t room, UErrorCode& status) {
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
  UErrorCode status = U_ZERO_ERROR;
  const int32_t needed = convert(nullptr, 0, status);
  if ((status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) || needed <= 0) return false;
  char16_t* out = allocate(static_cast<std::size_t>(needed));
  status = U_ZERO_ERROR;
  // With exactly `needed` units the result is reported as unterminated, which is what
  // we asked for.
  return out != nullptr && convert(out, needed, status) == needed && U_SUCCESS(status);
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
