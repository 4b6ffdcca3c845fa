#include "platform/ui/gtk/page_texts.h"

#include "platform/ui/gtk/gtk_handles.h"

namespace velsor::ui::gtk {

void BoundLabel(GtkWidget* label, int lines, int characters) {
  GtkLabel* text = GTK_LABEL(label);
  gtk_label_set_line_wrap(text, TRUE);
  gtk_label_set_line_wrap_mode(text, PANGO_WRAP_WORD_CHAR);
  gtk_label_set_max_width_chars(text, characters);
  gtk_label_set_ellipsize(text, PANGO_ELLIPSIZE_END);
  gtk_label_set_lines(text, lines);
}

void OneLineLabel(GtkWidget* label) {
  gtk_label_set_line_wrap(GTK_LABEL(label), FALSE);
  gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  gtk_label_set_single_line_mode(GTK_LABEL(label), TRUE);
  // Its place gives its width: it asks for no more, however long its text.
  gtk_label_set_max_width_chars(GTK_LABEL(label), 1);
}

void BoundMessageLabels(GtkMessageDialog* dialog, int lines) {
  GtkWidget* area = gtk_message_dialog_get_message_area(dialog);
  GList* children = gtk_container_get_children(GTK_CONTAINER(area));
  for (GList* at = children; at != nullptr; at = at->next) {
    if (GTK_IS_LABEL(at->data)) BoundLabel(GTK_WIDGET(at->data), lines);
  }
  g_list_free(children);
}

GtkWidget* BoldLabel(const std::string& line) {
  GtkWidget* label = gtk_label_new(nullptr);
  const GString markup(g_markup_printf_escaped("<b>%s</b>", line.c_str()));
  gtk_label_set_markup(GTK_LABEL(label), markup.get());
  gtk_label_set_xalign(GTK_LABEL(label), 0);
  BoundLabel(label, 4);
  return label;
}

void RunMessageBox(GtkWindow* parent, const std::string& text, const std::string& caption,
                   bool forWebPage) {
  TopLevel box(gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_INFO, GTK_BUTTONS_OK,
                                      "%s", text.c_str()));
  BoundMessageLabels(GTK_MESSAGE_DIALOG(box.get()), 8);
  gtk_window_set_title(GTK_WINDOW(box.get()), caption.c_str());
  RunDialog(GTK_DIALOG(box.get()), forWebPage);
}

Answer AskYesNo(GtkWindow* parent, const std::string& question, bool forWebPage) {
  TopLevel dialog(gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION,
                                         GTK_BUTTONS_YES_NO, "%s", question.c_str()));
  BoundMessageLabels(GTK_MESSAGE_DIALOG(dialog.get()), 8);
  const DialogRun run = RunDialog(GTK_DIALOG(dialog.get()), forWebPage);
  if (run.timedOut) return Answer::TimedOut;
  return run.response == GTK_RESPONSE_YES ? Answer::Yes : Answer::No;
}

}  // namespace velsor::ui::gtk
