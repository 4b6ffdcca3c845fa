#pragma once
// Owning handles for the GTK and GLib objects the desktop dialogs create.

#include <gtk/gtk.h>

#include <memory>

namespace velsor::ui::gtk {

struct WidgetDestroy {
  void operator()(GtkWidget* widget) const { gtk_widget_destroy(widget); }
};
// A toplevel window or dialog, destroyed with everything inside it.
using TopLevel = std::unique_ptr<GtkWidget, WidgetDestroy>;

struct ObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
template <class T>
using ObjectRef = std::unique_ptr<T, ObjectUnref>;

struct MainLoopUnref {
  void operator()(GMainLoop* loop) const { g_main_loop_unref(loop); }
};
using MainLoop = std::unique_ptr<GMainLoop, MainLoopUnref>;

struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};
using GString = std::unique_ptr<gchar, GFree>;

}  // namespace velsor::ui::gtk
