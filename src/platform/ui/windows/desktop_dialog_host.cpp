// The system's own dialogs are not drawn yet on Windows: until they are, a Windows session
// has no dialogs, as a POSIX one without a display, and every caller fails as it does for a
// dialog that cannot be shown.

#include "platform/ui/desktop_dialog_host.h"

namespace velsor::ui {

std::unique_ptr<DialogHost> MakeDesktopDialogHost() { return nullptr; }

}  // namespace velsor::ui
