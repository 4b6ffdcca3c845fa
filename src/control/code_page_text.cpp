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

Bstr FromCodePage(const ControlState& state, std::string_view bytes, std::u16string_view message) {
  Bstr text;
  if (!codepage::FromCodePageInto(state.codePage, bytes, [&](std::size_t length) {
        text = Bstr::OfLength(length);
        return text.get();
      })) {
    Raise(status::kNotFromCodePage, message);
  }
  return text;
}

}  // namespace velsor::control
