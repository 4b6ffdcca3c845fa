#pragma once
// What the engine operations take from the control besides their data: the chooser's
// texts and dialogs, and the content from pendingPlainText or a page argument.

#include <string>
#include <string_view>

#include "certs/cert_selection.h"
#include "control/control_state.h"
#include "files/file_operations.h"
#include "platform/com/bstr.h"

namespace velsor::control {

// The eight prompts and the copyright text, and the object's dialog host.
class ChooserContext {
 public:
  explicit ChooserContext(ControlState& state);
  ChooserContext(const ChooserContext&) = delete;
  ChooserContext& operator=(const ChooserContext&) = delete;

  const certs::ChooserSetting& setting() const { return setting_; }

 private:
  certs::ChooserTexts texts_;
  certs::ChooserSetting setting_;
};

ui::DialogHost& DialogsOf(ControlState& state);

// pendingPlainText; -10001 "源数据为空" when it holds no data.
const std::string& PendingContent(const ControlState& state);
// The same, taken out of the state, for the members that consume it whatever happens.
std::string TakePendingContent(ControlState& state);

// A page text that must not be empty (-10001 "源数据为空"), in the code page (-10034 with
// `conversionMessage`).
std::string ArgumentContent(const ControlState& state, BSTR text,
                            std::u16string_view conversionMessage);

// The file the page names (a path of at most 256 characters) or, without a name and outside
// server mode, the one the user picks in the open dialog. Raises -10056, -10001, -10004 for
// a cancelled dialog, and the read status with "读取文件失败".
files::FileContents ReadNamedOrChosenFile(ControlState& state, BSTR fileName);

}  // namespace velsor::control
