#include "platform/ui/desktop_dialog_host.h"

#include <cstdlib>
#include <optional>

#include "platform/codepage/utf.h"
#include "platform/ui/gtk/gtk_chooser_window.h"
#include "platform/ui/gtk/gtk_handles.h"
#include "platform/ui/gtk/page_texts.h"

namespace velsor::ui {
namespace {

using gtk::GString;
using gtk::TopLevel;

std::string Utf8(std::u16string_view text) { return codepage::Utf16ToUtf8(text); }

// "*.*" is every file, as the platform's dialogs read it.
std::string Pattern(std::u16string_view filter) {
  const std::string pattern = Utf8(filter);
  return pattern == "*.*" ? "*" : pattern;
}

// Allow or Deny, with the page named in the first line; Deny is the default.
DialogOutcome RunConsent(const ConsentRequest& request, const std::u16string& requesterLine) {
  TopLevel dialog(gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION,
                                         GTK_BUTTONS_NONE, "%s", Utf8(requesterLine).c_str()));
  gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog.get()), "%s\n\n%s",
                                           Utf8(request.action).c_str(),
                                           Utf8(request.certificate).c_str());
  gtk::BoundMessageLabels(GTK_MESSAGE_DIALOG(dialog.get()), 6);
  gtk_window_set_title(GTK_WINDOW(dialog.get()), "Velsor");
  gtk_dialog_add_buttons(GTK_DIALOG(dialog.get()), "拒绝 (Deny)", GTK_RESPONSE_CANCEL,
                         "允许 (Allow)", GTK_RESPONSE_ACCEPT, nullptr);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog.get()), GTK_RESPONSE_CANCEL);
  return gtk::RunDialog(GTK_DIALOG(dialog.get()), true).response == GTK_RESPONSE_ACCEPT
             ? DialogOutcome::Done
             : DialogOutcome::Cancelled;
}

// The token's PIN, hidden as it is typed. Unanswered past the answer time it counts as
// timed out, whoever asked: a token left logged-in-waiting holds the caller up.
PinAnswer RunPinDialog(const PinRequest& request, const std::u16string& requesterLine) {
  TopLevel dialog(gtk_dialog_new_with_buttons("Velsor", nullptr, GTK_DIALOG_MODAL,
                                              "取消 (Cancel)", GTK_RESPONSE_CANCEL, "确定 (OK)",
                                              GTK_RESPONSE_ACCEPT, nullptr));
  GtkWidget* area = gtk_dialog_get_content_area(GTK_DIALOG(dialog.get()));
  gtk_container_set_border_width(GTK_CONTAINER(area), 12);
  gtk_box_set_spacing(GTK_BOX(area), 8);
  gtk_box_pack_start(GTK_BOX(area), gtk::BoldLabel(Utf8(requesterLine)), FALSE, FALSE, 0);
  const std::string token = Utf8(request.token);
  const std::string ask = "请输入令牌 “" + token + "” 的 PIN (enter the PIN of the token “" + token + "”)";
  GtkWidget* question = gtk_label_new(ask.c_str());
  gtk_label_set_xalign(GTK_LABEL(question), 0);
  gtk::BoundLabel(question, 4);
  gtk_box_pack_start(GTK_BOX(area), question, FALSE, FALSE, 0);
  if (!request.notice.empty()) {
    gtk_box_pack_start(GTK_BOX(area), gtk::BoldLabel(Utf8(request.notice)), FALSE, FALSE, 0);
  }
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
  gtk_entry_set_input_purpose(GTK_ENTRY(entry), GTK_INPUT_PURPOSE_PASSWORD);
  gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
  gtk_box_pack_start(GTK_BOX(area), entry, FALSE, FALSE, 0);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog.get()), GTK_RESPONSE_ACCEPT);
  gtk_widget_show_all(area);
  const gtk::DialogRun run = gtk::RunDialog(GTK_DIALOG(dialog.get()), true);
  if (run.timedOut) return {PinOutcome::TimedOut, {}};
  if (run.response != GTK_RESPONSE_ACCEPT) return {PinOutcome::Cancelled, {}};
  const std::string_view typed = gtk_entry_get_text(GTK_ENTRY(entry));
  PinAnswer answer{PinOutcome::Entered, SecretBytes(typed.begin(), typed.end())};
  gtk_entry_set_text(GTK_ENTRY(entry), "");
  return answer;
}

// The open or save dialog; for a web page it names the page and counts as cancelled when
// left past the answer time, the question about replacing a file included.
FileDialogResult RunFileChooser(const FileDialogRequest& request, GtkFileChooserAction action,
                                const std::u16string& requesterLine) {
  const bool saving = action == GTK_FILE_CHOOSER_ACTION_SAVE;
  const bool forWebPage = !requesterLine.empty();
  TopLevel dialog(gtk_file_chooser_dialog_new(
      Utf8(request.title).c_str(), nullptr, action, "_Cancel", GTK_RESPONSE_CANCEL,
      saving ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr));
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog.get());
  if (forWebPage) {
    GtkWidget* requester = gtk::BoldLabel(Utf8(requesterLine));
    gtk_widget_show(requester);
    gtk_file_chooser_set_extra_widget(chooser, requester);
  }
  if (!request.filter.empty()) {
    GtkFileFilter* filter = gtk_file_filter_new();  // the chooser takes it
    gtk_file_filter_set_name(filter, Utf8(request.filter).c_str());
    gtk_file_filter_add_pattern(filter, Pattern(request.filter).c_str());
    gtk_file_chooser_add_filter(chooser, filter);
  }
  if (saving && !request.proposedName.empty()) {
    gtk_file_chooser_set_current_name(chooser, Utf8(request.proposedName).c_str());
  }
  gtk_dialog_set_default_response(GTK_DIALOG(dialog.get()), GTK_RESPONSE_ACCEPT);
  // One deadline for the dialog however often it is run (a name refused is asked again).
  std::optional<gtk::AnswerDeadline> deadline;
  if (forWebPage) {
    deadline.emplace([chooser = GTK_DIALOG(dialog.get())] {
      gtk_dialog_response(chooser, GTK_RESPONSE_CANCEL);
    });
  }
  for (;;) {
    if (gtk_dialog_run(GTK_DIALOG(dialog.get())) != GTK_RESPONSE_ACCEPT) {
      return {DialogOutcome::Cancelled, {}};
    }
    const GString chosen(gtk_file_chooser_get_filename(chooser));
    if (!chosen) continue;
    std::filesystem::path path(chosen.get());
    if (!saving) return {DialogOutcome::Done, path};
    // A name typed without an extension takes the default one.
    if (!request.defaultExtension.empty() && !path.has_extension()) {
      path += ".";
      path += Utf8(request.defaultExtension);
    }
    // Asked here rather than by the dialog, which would ask about the name as typed and
    // without a deadline.
    if (!request.confirmOverwrite || !std::filesystem::exists(path)) {
      return {DialogOutcome::Done, path};
    }
    const std::string question =
        std::string("“").append(path.filename().string()).append("” already exists. Replace it?");
    switch (gtk::AskYesNo(GTK_WINDOW(dialog.get()), question, forWebPage)) {
      case gtk::Answer::Yes:
        return {DialogOutcome::Done, path};
      case gtk::Answer::TimedOut:
        return {DialogOutcome::Cancelled, {}};
      case gtk::Answer::No:
        break;
    }
  }
}

class GtkDialogHost final : public DialogHost {
 public:
  DialogOutcome ShowChooser(ChooserHandlers& handlers) override {
    gtk::GtkChooserWindow window(handlers, RequesterLine());
    window.Run();
    return DialogOutcome::Done;
  }
  FileDialogResult ShowOpenFile(const FileDialogRequest& request) override {
    return RunFileChooser(request, GTK_FILE_CHOOSER_ACTION_OPEN, RequesterLine());
  }
  FileDialogResult ShowSaveFile(const FileDialogRequest& request) override {
    return RunFileChooser(request, GTK_FILE_CHOOSER_ACTION_SAVE, RequesterLine());
  }
  void ShowMessageBox(std::u16string_view text, std::u16string_view caption) override {
    gtk::RunMessageBox(nullptr, Utf8(text), Utf8(caption), !Requester().empty());
  }
  // $VELSOR_CERT_VIEWER when set, else the desktop's handler for the file's type. The
  // viewer runs on its own; it is not waited for.
  bool OpenWithViewer(const std::filesystem::path& file) override {
    const char* configured = std::getenv("VELSOR_CERT_VIEWER");
    std::string viewer = configured != nullptr && *configured != '\0' ? configured : "xdg-open";
    std::string target = file.string();
    gchar* argv[] = {viewer.data(), target.data(), nullptr};
    return g_spawn_async(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr,
                         nullptr) != FALSE;
  }
  DialogOutcome ShowConsent(const ConsentRequest& request) override {
    return RunConsent(request, RequesterLine());
  }
  PinAnswer ShowPinDialog(const PinRequest& request) override {
    return RunPinDialog(request, PinRequesterLine());
  }
};

}  // namespace

std::unique_ptr<DialogHost> MakeDesktopDialogHost() {
  const bool display =
      std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
  if (!display) return nullptr;
  if (!gtk_init_check(nullptr, nullptr)) return nullptr;
  return std::make_unique<GtkDialogHost>();
}

}  // namespace velsor::ui
