#pragma once
// The Windows dialogs' own pieces.

#include <windows.h>

#include <string>

#include "platform/ui/dialog_host.h"

namespace velsor::ui {

// The module these dialogs and their resources are linked into.
HINSTANCE ThisModule();

// Runs the chooser (dialog resource 202) until its handlers close it; Unavailable when the
// dialog cannot be made.
DialogOutcome RunWin32Chooser(ChooserHandlers& handlers, const std::u16string& requesterLine);

}  // namespace velsor::ui
