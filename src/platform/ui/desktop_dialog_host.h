#pragma once
// The desktop's own dialogs: GTK 3 on POSIX, the system's dialogs on Windows.

#include <memory>

#include "platform/ui/dialog_host.h"

namespace velsor::ui {

// Nothing when no dialog can be shown (on POSIX: no display to open).
std::unique_ptr<DialogHost> MakeDesktopDialogHost();

}  // namespace velsor::ui
