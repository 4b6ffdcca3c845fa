#pragma once
// Owning handles for the GTK and GLib objects the desktop dialogs create.

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/dialog_host.h"

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

// Runs `expire` once when the user has left a dialog past DialogAnswerTime(), unless
// destroyed first.
class AnswerDeadline {
 public:
  explicit AnswerDeadline(std::function<void()> expire) : expire_(std::move(expire)) {
    const auto seconds = static_cast<guint>(DialogAnswerTime().count());
    source_ = g_timeout_add_seconds(seconds, &AnswerDeadline::Expire, this);
  }
  ~AnswerDeadline() {
    if (source_ != 0) g_source_remove(source_);
  }
  AnswerDeadline(const AnswerDeadline&) = delete;
  AnswerDeadline& operator=(const AnswerDeadline&) = delete;

 private:
  static gboolean Expire(gpointer data) {
    auto* self = static_cast<AnswerDeadline*>(data);
    self->source_ = 0;  // the source removes itself
    self->expire_();
    return G_SOURCE_REMOVE;
  }
  std::function<void()> expire_;
  guint source_ = 0;
};

struct DialogRun {
  gint response = GTK_RESPONSE_NONE;
  bool timedOut = false;
};

// Runs `dialog` modally. With `withDeadline`, a dialog left past DialogAnswerTime() is
// answered "cancel" and the run says it timed out.
inline DialogRun RunDialog(GtkDialog* dialog, bool withDeadline) {
  DialogRun run;
  std::optional<AnswerDeadline> deadline;
  if (withDeadline) {
    deadline.emplace([dialog, &run] {
      run.timedOut = true;
      gtk_dialog_response(dialog, GTK_RESPONSE_CANCEL);
    });
  }
  run.response = gtk_dialog_run(dialog);
  return run;
}

}  // namespace velsor::ui::gtk
