#include "control/engine_inputs.h"

#include "control/code_page_text.h"
#include "control/method_frame.h"

namespace velsor::control {
namespace {

certs::ChooserTexts TextsOf(const ControlState& state) {
  certs::ChooserTexts texts;
  std::copy(state.DialogPrompts.texts.begin(), state.DialogPrompts.texts.end(), texts.begin());
  texts.back() = state.DialogPrompts.copyRightInfo;
  return texts;
}

}  // namespace

ChooserContext::ChooserContext(ControlState& state)
    : texts_(TextsOf(state)), setting_{texts_, DialogsOf(state)} {}

ui::DialogHost& DialogsOf(ControlState& state) {
  if (!state.dialogHost) state.dialogHost = ui::MakeDialogHost();
  return *state.dialogHost;
}

std::string PendingContent(const ControlState& state) {
  if (!state.pendingPlainText || state.pendingPlainText->empty()) {
    Raise(status::kMissingInput, messages::kSourceEmpty);
  }
  return *state.pendingPlainText;
}

std::string ArgumentContent(const ControlState& state, BSTR text,
                            std::u16string_view conversionMessage) {
  const std::u16string_view view = BstrView(text);
  if (view.empty()) Raise(status::kMissingInput, messages::kSourceEmpty);
  return ToCodePage(state, view, conversionMessage);
}

}  // namespace velsor::control
