// What code page 0 means on this system.

#include <langinfo.h>
#include <locale.h>

#include <charconv>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/codepage/codepage.h"

namespace velsor::codepage {
namespace {

struct LocaleFree {
  void operator()(locale_t locale) const { freelocale(locale); }
};
using LocalePtr = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleFree>;

std::optional<std::uint32_t> ForcedCodePage() {
  const char* forced = std::getenv("VELSOR_ACP");
  if (forced == nullptr) return std::nullopt;
  const std::string_view text = forced;
  std::uint32_t number = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc{} || end != text.data() + text.size() || number == kAnsi) {
    return std::nullopt;
  }
  if (!ConverterName(number)) return std::nullopt;
  return number;
}

// The locale name the C library would use for character classification.
std::string_view LocaleNameFromEnvironment() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

std::string LocaleCharset() {
  // Asking the C library is exact when the locale is installed; otherwise the character
  // set is read from the locale name ("zh_CN.GBK@euro"), which is what it would have been.
  if (LocalePtr locale{newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr))}) {
    if (const char* charset = nl_langinfo_l(CODESET, locale.get())) return charset;
  }
  std::string_view name = LocaleNameFromEnvironment();
  if (name == "C" || name == "POSIX") return "ANSI_X3.4-1968";
  const auto dot = name.find('.');
  if (dot == std::string_view::npos) return "UTF-8";
  name.remove_prefix(dot + 1);
  return std::string(name.substr(0, name.find('@')));
}

}  // namespace

std::uint32_t SystemAnsiCodePage() {
  if (auto forced = ForcedCodePage()) return *forced;
  return CodePageOfCharset(LocaleCharset()).value_or(kUtf8);
}

}  // namespace velsor::codepage
