#pragma once
// Page text to and from the control's code page, raising the method's failure.

#include <string>
#include <string_view>

#include "control/control_state.h"
#include "control/messages.h"
#include "platform/com/bstr.h"

namespace velsor::control {

// The text ends at its first zero character. Raises -10034 with `message` on failure.
std::string ToCodePage(const ControlState& state, std::u16string_view text,
                       std::u16string_view message = messages::kCharsetConversionFailed);

// Every byte counts, zero bytes too. Raises -10036 with `message` on failure, which
// includes a string of no bytes. The text is made as the page's string, held once.
Bstr FromCodePage(const ControlState& state, std::string_view bytes,
                  std::u16string_view message = messages::kCharsetConversionFailed);

}  // namespace velsor::control
