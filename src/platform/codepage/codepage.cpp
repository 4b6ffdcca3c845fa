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

}  // namespace

std::optional<std::string> ToCodePage(std::uint32_t codePage, std::u16string_view text) {
  ConverterPtr converter = OpenConverter(codePage);
  if (!converter) return std::nullopt;
  UseWindowsSubstitution(converter.get(), codePage);
  text = text.substr(0, text.find(u'\0'));
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
    return std::nullopt;
  }
  const auto length = static_cast<int32_t>(text.size());

  UErrorCode status = U_ZERO_ERROR;
  const int32_t needed = ucnv_fromUChars(converter.get(), nullptr, 0, text.data(), length, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(needed), '\0');
  if (needed == 0) return bytes;
  status = U_ZERO_ERROR;
  ucnv_resetFromUnicode(converter.get());
  const int32_t written =
      ucnv_fromUChars(converter.get(), bytes.data(), needed, text.data(), length, &status);
  // The conversion always terminates when room allows; with exactly `needed` bytes it
  // reports an unterminated string, which is what we asked for.
  if (U_FAILURE(status) || written != needed) return std::nullopt;
  return bytes;
}

std::optional<std::u16string> FromCodePage(std::uint32_t codePage, std::string_view bytes) {
  ConverterPtr converter = OpenConverter(codePage);
  if (!converter || bytes.empty()) return std::nullopt;
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
    return std::nullopt;
  }
  const auto length = static_cast<int32_t>(bytes.size());

  UErrorCode status = U_ZERO_ERROR;
  const int32_t needed = ucnv_toUChars(converter.get(), nullptr, 0, bytes.data(), length, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
  if (needed == 0) return std::nullopt;
  std::u16string text(static_cast<std::size_t>(needed), u'\0');
  status = U_ZERO_ERROR;
  ucnv_resetToUnicode(converter.get());
  const int32_t written =
      ucnv_toUChars(converter.get(), text.data(), needed, bytes.data(), length, &status);
  if (U_FAILURE(status) || written != needed) return std::nullopt;
  return text;
}

}  // namespace velsor::codepage
