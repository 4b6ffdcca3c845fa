#include "control/messages.h"

#include "platform/codepage/codepage.h"

namespace velsor::control::messages {
namespace {

// "类型错误，没有该类型的值" in GBK.
constexpr std::string_view kTypeErrorGbk =
    "\xC0\xE0\xD0\xCD\xB4\xED\xCE\xF3\xA3\xAC\xC3\xBB\xD3\xD0\xB8\xC3\xC0\xE0\xD0\xCD\xB5\xC4\xD6"
    "\xB5";

}  // namespace

std::u16string TypeError() {
  return codepage::FromCodePage(codepage::kGbk, kTypeErrorGbk).value_or(std::u16string());
}

}  // namespace velsor::control::messages
