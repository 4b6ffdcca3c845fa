#pragma once
// The desktop backend of the dialog host, on GTK 3.

#include <memory>

#include "platform/ui/dialog_host.h"

namespace velsor::ui {

// Nothing when no display can be opened.
std::unique_ptr<DialogHost> MakeGtkDialogHost();

}  // namespace velsor::ui
