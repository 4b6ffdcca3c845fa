#include "control/code_page_text.h"

#include "control/method_frame.h"
#include "platform/codepage/codepage.h"

namespace velsor::control {

std::string ToCodePage(const ControlState& state, std::u16string_view text,
                       std::u16string_view message) {
  auto bytes = codepage::ToCodePage(state.codePage, text);
  if (!bytes) Raise(status::kNotInCodePage, message);
  return std::move(*bytes);
}

std::u16string FromCodePage(const ControlState& state, std::string_view bytes,
                            std::u16string_view message) {
  auto text = codepage::FromCodePage(state.codePage, bytes);
  if (!text) Raise(status::kNotFromCodePage, message);
  return std::move(*text);
}

}  // namespace velsor::control
