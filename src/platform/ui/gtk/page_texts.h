#pragma once
// A page may set the texts of the dialogs it causes: prompts, button labels, the message
// of a box. However long such a text is (thousands of no-break spaces, say), it is wrapped
// anywhere and cut to a few lines, so the dialog stays on the screen and the line naming
// the page stays where the user reads it first.

#include <gtk/gtk.h>

#include <string>

namespace velsor::ui::gtk {

// About what a dialog line of the desktop's font holds.
inline constexpr int kLineCharacters = 60;

// Wraps `label` at any character and cuts it, with an ellipsis, to `lines` lines of
// about `characters` characters.
void BoundLabel(GtkWidget* label, int lines, int characters = kLineCharacters);

// One line only, cut with an ellipsis to the width it is given: for labels with a fixed
// place (prompts, buttons).
void OneLineLabel(GtkWidget* label);

// The same for every label of a message dialog's text area.
void BoundMessageLabels(GtkMessageDialog* dialog, int lines);

// A bold label bounded to four lines: the line naming the page (or program) a dialog
// serves, which stands at the dialog's start, or a notice.
GtkWidget* BoldLabel(const std::string& line);

// A modal message with an OK button, over `parent` when there is one; for a web page it
// closes by itself when left past DialogAnswerTime().
void RunMessageBox(GtkWindow* parent, const std::string& text, const std::string& caption,
                   bool forWebPage);

// Yes or No; for a web page, TimedOut when left past DialogAnswerTime().
enum class Answer { Yes, No, TimedOut };
Answer AskYesNo(GtkWindow* parent, const std::string& question, bool forWebPage);

}  // namespace velsor::ui::gtk
