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

const std::string& PendingContent(const ControlState& state) {
  if (!state.pendingPlainText || state.pendingPlainText->empty()) {
    Raise(status::kMissingInput, messages::kSourceEmpty);
  }
  return *state.pendingPlainText;
}

std::string TakePendingContent(ControlState& state) {
  PendingContent(state);  // raises when there is none
  std::string content = std::move(*state.pendingPlainText);
  state.pendingPlainText.reset();
  return content;
}

std::string ArgumentContent(const ControlState& state, BSTR text,
                            std::u16string_view conversionMessage) {
  const std::u16string_view view = BstrView(text);
  if (view.empty()) Raise(status::kMissingInput, messages::kSourceEmpty);
  return ToCodePage(state, view, conversionMessage);
}

files::FileContents ReadNamedOrChosenFile(ControlState& state, BSTR fileName) {
  constexpr std::size_t kMaxFileNameLength = 256;
  const std::u16string_view name = BstrView(fileName);
  if (name.size() > kMaxFileNameLength) Raise(status::kDnTooLong, messages::kFileNameTooLong);
  if (name.empty() && state.serverMode) Raise(status::kMissingInput, messages::kSourceEmpty);
  Result<files::FileContents> read = files::ReadFileByDialog(
      DialogsOf(state), u"Open", u"*.*", name.empty() ? std::nullopt : std::optional(name));
  const std::u16string_view failed =
      read.Failed(status::kUserCancelled) ? messages::kUserCancelled : messages::kReadFileFailed;
  return ValueOrRaise(std::move(read), failed);
}

}  // namespace velsor::control
