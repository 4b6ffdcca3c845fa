#pragma once
// The backend that tests drive: they queue what the user does and read back what each
// dialog showed. A chooser takes queued actions until one of them closes it; when the
// actions run out first, the user closes the window.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/dialog_host.h"

namespace velsor::ui {

struct ChooserAction {
  enum class Kind {
    SelectRow,   // by position in the current order, from 0
    SelectText,  // the first row with a cell equal to `text`
    ClickOk,
    ClickCancel,
    PressEscape,
    CloseWindow,
    ClickView,
    ClickColumn,  // column `number`, from 0
    DoubleClick,  // on the selected row
    Inspect,      // runs `inspect` while the dialog is open
  };
  Kind kind;
  int number = 0;
  std::u16string text{};
  std::function<void()> inspect{};
};

// What one chooser showed; rows in their order when it closed.
struct ShownChooser {
  std::u16string caption;
  std::u16string prompt;
  std::u16string ok, cancel, view;
  std::u16string copyright;
  ChooserRow columns;
  std::vector<ChooserRow> rows;
  std::vector<std::u16string> messages;
  std::u16string requesterLine;   // the host's line naming the web page, if any
  bool closedByHandlers = false;  // false: the queued actions ran out
};

enum class ConsentAnswer { Allow, Deny, NoAnswer };

struct ShownConsent {
  ConsentRequest request;
  std::u16string requesterLine;
  ConsentAnswer answer;
};

struct ShownPinDialog {
  PinRequest request;
  std::u16string requesterLine;
  PinOutcome outcome;
};

// A record field as one line's field: backslash, tab, line ends and other control
// characters written as \\, \t, \n, \r and \xHH, so that no text a page sets can
// start a field or a line of its own.
std::string EscapedForRecord(std::string_view field);

class ScriptedDialogHost final : public DialogHost {
 public:
  // Queue a user's actions, in order.
  ScriptedDialogHost& Then(ChooserAction action);
  ScriptedDialogHost& SelectRow(int position) {
    return Then({ChooserAction::Kind::SelectRow, position});
  }
  ScriptedDialogHost& SelectText(std::u16string text);
  ScriptedDialogHost& ClickOk() { return Then({ChooserAction::Kind::ClickOk}); }
  ScriptedDialogHost& ClickCancel() { return Then({ChooserAction::Kind::ClickCancel}); }
  ScriptedDialogHost& ClickView() { return Then({ChooserAction::Kind::ClickView}); }
  ScriptedDialogHost& ClickColumn(int column) {
    return Then({ChooserAction::Kind::ClickColumn, column});
  }
  ScriptedDialogHost& DoubleClick() { return Then({ChooserAction::Kind::DoubleClick}); }
  ScriptedDialogHost& CloseWindow() { return Then({ChooserAction::Kind::CloseWindow}); }
  ScriptedDialogHost& Inspect(std::function<void()> inspect);
  // Answers for the next file dialogs, in order; without one a file dialog is cancelled.
  ScriptedDialogHost& AnswerFileDialog(FileDialogResult answer);
  // Answers for the next confirmations; without one the user does not answer in time.
  ScriptedDialogHost& AnswerConsent(ConsentAnswer answer);
  // Answers for the next PIN dialogs; without one the user does not answer in time.
  ScriptedDialogHost& AnswerPin(PinOutcome outcome, std::string pin = {});
  // Appends a line for every chooser, confirmation, PIN and file dialog shown to `file`,
  // so that a test outside this process can read what the user was shown
  // (VELSOR_UI_RECORD): tab-separated fields, each escaped by EscapedForRecord.
  void RecordTo(std::filesystem::path file) { recordFile_ = std::move(file); }

  // One action a line: select N, select-text TEXT, ok, cancel, escape, close, view,
  // column N, double-click; for file dialogs: file PATH, cancel-file; for confirmations:
  // allow, deny, no-answer; for PIN dialogs: pin TEXT, cancel-pin, no-answer-pin. Lines that are
  // empty or start with # are skipped. False at a line it does not understand.
  bool LoadScript(std::string_view script);

  const std::vector<ShownChooser>& choosers() const { return choosers_; }
  const std::vector<FileDialogRequest>& fileDialogs() const { return fileDialogs_; }
  const std::vector<std::u16string>& messages() const { return messages_; }
  const std::vector<std::filesystem::path>& viewed() const { return viewed_; }
  const std::vector<ShownConsent>& consents() const { return consents_; }
  const std::vector<ShownPinDialog>& pinDialogs() const { return pinDialogs_; }

  DialogOutcome ShowChooser(ChooserHandlers& handlers) override;
  FileDialogResult ShowOpenFile(const FileDialogRequest& request) override;
  FileDialogResult ShowSaveFile(const FileDialogRequest& request) override;
  void ShowMessageBox(std::u16string_view text, std::u16string_view caption) override;
  bool OpenWithViewer(const std::filesystem::path& file) override;
  DialogOutcome ShowConsent(const ConsentRequest& request) override;
  PinAnswer ShowPinDialog(const PinRequest& request) override;

 private:
  FileDialogResult AnswerFor(std::u16string_view kind, const FileDialogRequest& request);
  void Record(std::initializer_list<std::u16string_view> fields) const;

  std::deque<ChooserAction> actions_;
  std::deque<FileDialogResult> fileAnswers_;
  std::vector<ShownChooser> choosers_;
  std::vector<FileDialogRequest> fileDialogs_;
  std::vector<std::u16string> messages_;
  std::vector<std::filesystem::path> viewed_;
  std::deque<ConsentAnswer> consentAnswers_;
  std::vector<ShownConsent> consents_;
  std::deque<PinAnswer> pinAnswers_;
  std::vector<ShownPinDialog> pinDialogs_;
  std::filesystem::path recordFile_;
};

}  // namespace velsor::ui
