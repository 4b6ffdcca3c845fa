#pragma once
// The Windows dialogs' own pieces.

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/ui/dialog_host.h"

namespace velsor::ui {

// The module these dialogs and their resources are linked into.
HINSTANCE ThisModule();

// Runs the chooser (dialog resource 202) until its handlers close it; Unavailable when the
// dialog cannot be made.
DialogOutcome RunWin32Chooser(ChooserHandlers& handlers, const std::u16string& requesterLine);

// What a message box shows of a text, and of its caption: enough for any honest message,
// little enough that the box stays on the screen.
inline constexpr std::size_t kMaxMessageUnits = 600;
inline constexpr std::size_t kMaxCaptionUnits = 120;

// `text` cut to `units` UTF-16 units (never inside a surrogate pair), with an ellipsis.
std::u16string CutForDialog(std::u16string_view text, std::size_t units);

// MessageBoxW with the text and caption cut; for a web page the box answers
// `answerWhenLeft` (IDOK, IDNO) by itself when the user leaves it past DialogAnswerTime().
int RunMessageBox(HWND owner, std::u16string_view text, std::u16string_view caption, UINT style,
                  bool forWebPage, int answerWhenLeft);

}  // namespace velsor::ui
