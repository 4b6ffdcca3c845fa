#pragma once
// The chooser's two icons, 16 by 16, drawn here: the certificate shown on every row and
// the dialog's own.

#include <gdk-pixbuf/gdk-pixbuf.h>

#include "platform/ui/gtk/gtk_handles.h"

namespace velsor::ui::gtk {

ObjectRef<GdkPixbuf> CertificateRowIcon();
ObjectRef<GdkPixbuf> ChooserWindowIcon();

}  // namespace velsor::ui::gtk
