// What code page 0 means: VELSOR_ACP when it names a supported code page (tests), else the
// system's ANSI code page.

#include <windows.h>

#include <charconv>
#include <cstdlib>
#include <string_view>

#include "platform/codepage/codepage.h"

namespace velsor::codepage {

std::uint32_t SystemAnsiCodePage() {
  if (const char* forced = std::getenv("VELSOR_ACP")) {
    const std::string_view text = forced;
    std::uint32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error == std::errc{} && end == text.data() + text.size() && number != kAnsi &&
        ConverterName(number)) {
      return number;
    }
  }
  return GetACP();
}

}  // namespace velsor::codepage
