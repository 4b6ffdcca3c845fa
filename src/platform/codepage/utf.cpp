#include "platform/codepage/utf.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <limits>
#include <new>

namespace velsor::codepage {
namespace {

constexpr UChar32 kReplacement = 0xFFFD;

template <class Output, class Convert>
Output TwoPasses(std::size_t inputSize, Convert&& convert) {
  if (inputSize > static_cast<std::size_t>(std::numeric_limits<int32_t>::max() / 4)) {
    throw std::bad_alloc();
  }
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  convert(nullptr, 0, &length, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return Output();
  Output output(static_cast<std::size_t>(length), typename Output::value_type{});
  status = U_ZERO_ERROR;
  convert(output.data(), length, &length, &status);
  if (U_FAILURE(status)) return Output();
  return output;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  return TwoPasses<std::u16string>(
      text.size(), [&](UChar* out, int32_t room, int32_t* length, UErrorCode* status) {
        u_strFromUTF8WithSub(out, room, length, text.data(), static_cast<int32_t>(text.size()),
                             kReplacement, nullptr, status);
      });
}

std::optional<std::u16string> WellFormedUtf8ToUtf16(std::string_view text) {
  int32_t substitutions = 0;
  std::u16string wide = TwoPasses<std::u16string>(
      text.size(), [&](UChar* out, int32_t room, int32_t* length, UErrorCode* status) {
        u_strFromUTF8WithSub(out, room, length, text.data(), static_cast<int32_t>(text.size()),
                             kReplacement, &substitutions, status);
      });
  if (substitutions != 0 || (wide.empty() && !text.empty())) return std::nullopt;
  return wide;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  return TwoPasses<std::string>(
      text.size(), [&](char* out, int32_t room, int32_t* length, UErrorCode* status) {
        u_strToUTF8WithSub(out, room, length, text.data(), static_cast<int32_t>(text.size()),
                           kReplacement, nullptr, status);
      });
}

std::u16string FoldCase(std::u16string_view text) {
  return TwoPasses<std::u16string>(
      text.size(), [&](UChar* out, int32_t room, int32_t* length, UErrorCode* status) {
        *length = u_strFoldCase(out, room, text.data(), static_cast<int32_t>(text.size()),
                                U_FOLD_CASE_DEFAULT, status);
      });
}

}  // namespace velsor::codepage
