#pragma once
// Drives GTK dialogs from inside a test the way a user would: through the X server with
// xdotool, from steps that run in the dialog's own modal loop.

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>

namespace velsor::testing {

// The toplevel window showing `title`, if any.
inline GtkWidget* WindowTitled(const std::string& title) {
  GList* windows = gtk_window_list_toplevels();
  GtkWidget* found = nullptr;
  for (GList* at = windows; at != nullptr; at = at->next) {
    auto* window = GTK_WINDOW(at->data);
    const char* shown = gtk_window_get_title(window);
    if (gtk_widget_get_visible(GTK_WIDGET(window)) && shown != nullptr && title == shown) {
      found = GTK_WIDGET(window);
    }
  }
  g_list_free(windows);
  return found;
}

inline GtkWidget* FindChild(GtkWidget* widget, GType type) {
  if (G_TYPE_CHECK_INSTANCE_TYPE(widget, type)) return widget;
  if (!GTK_IS_CONTAINER(widget)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  GtkWidget* found = nullptr;
  for (GList* at = children; at != nullptr && found == nullptr; at = at->next) {
    found = FindChild(GTK_WIDGET(at->data), type);
  }
  g_list_free(children);
  return found;
}

inline int Xdotool(const std::string& arguments) {
  return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str());
}

// A point of `widget` (its own coordinates) on the screen.
inline std::pair<int, int> OnScreen(GtkWidget* widget, int x, int y) {
  GtkWidget* top = gtk_widget_get_toplevel(widget);
  int inTop = 0, topY = 0;
  gtk_widget_translate_coordinates(widget, top, x, y, &inTop, &topY);
  int originX = 0, originY = 0;
  gdk_window_get_origin(gtk_widget_get_window(top), &originX, &originY);
  return {originX + inTop, originY + topY};
}

inline void ClickAt(GtkWidget* widget, int x, int y) {
  const auto [screenX, screenY] = OnScreen(widget, x, y);
  Xdotool("mousemove --sync " + std::to_string(screenX) + " " + std::to_string(screenY) +
          " click 1");
}

inline void ClickMiddle(GtkWidget* widget) {
  GtkAllocation area;
  gtk_widget_get_allocation(widget, &area);
  ClickAt(widget, area.width / 2, area.height / 2);
}

inline std::string WindowId(GtkWidget* window) {
  return std::to_string(gdk_x11_window_get_xid(gtk_widget_get_window(window)));
}

// Keys typed into a window after giving it the focus, as the user's keyboard would.
inline void Keys(GtkWidget* window, const std::string& keys) {
  Xdotool("windowfocus " + WindowId(window) + " sleep 0.2 key --delay 50 " + keys);
}
inline void Type(GtkWidget* window, const std::string& text) {
  Xdotool("windowfocus " + WindowId(window) + " sleep 0.2 type --delay 20 '" + text + "'");
}

inline void SaveScreenshot(GtkWidget* window, const std::filesystem::path& file) {
  GdkWindow* gdkWindow = gtk_widget_get_window(window);
  GdkPixbuf* shot = gdk_pixbuf_get_from_window(gdkWindow, 0, 0, gdk_window_get_width(gdkWindow),
                                               gdk_window_get_height(gdkWindow));
  if (shot != nullptr) {
    gdk_pixbuf_save(shot, file.c_str(), "png", nullptr, nullptr);
    g_object_unref(shot);
  }
}

// Steps run one after another from the main loop, each once its window is showing.
class UserSteps {
 public:
  struct Step {
    std::string window;  // the title the step waits for
    std::function<void(GtkWidget*)> act;
  };
  explicit UserSteps(std::deque<Step> steps) : steps_(std::move(steps)) {
    source_ = g_timeout_add(100, &UserSteps::Tick, this);
  }
  ~UserSteps() {
    if (source_ != 0) g_source_remove(source_);
  }
  bool done() const { return steps_.empty(); }

 private:
  static gboolean Tick(gpointer data) {
    auto* self = static_cast<UserSteps*>(data);
    if (self->steps_.empty()) {
      self->source_ = 0;
      return G_SOURCE_REMOVE;
    }
    GtkWidget* window = WindowTitled(self->steps_.front().window);
    if (window == nullptr || !gtk_widget_get_mapped(window)) {
      self->settled_ = 0;
      return G_SOURCE_CONTINUE;
    }
    // A few ticks for the window to be laid out and drawn before the user acts.
    if (++self->settled_ < 4) return G_SOURCE_CONTINUE;
    self->settled_ = 0;
    Step step = std::move(self->steps_.front());
    self->steps_.pop_front();
    step.act(window);
    return G_SOURCE_CONTINUE;
  }

  std::deque<Step> steps_;
  guint source_ = 0;
  int settled_ = 0;
};

}  // namespace velsor::testing
