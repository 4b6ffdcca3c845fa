#pragma once
// The dialogs the control shows, behind one interface: the certificate chooser, open and
// save dialogs, message boxes and "open this file with its viewer". The chooser's logic
// lives with its handlers; a backend only draws what they ask for and feeds the user's
// actions back to them, so every backend drives the same logic.
//
// Backends: "gtk" when a display is present, "none" when there is none (no dialog can be
// shown), and "scripted" for tests, which queue the user's actions and read what was
// shown. VELSOR_UI chooses one explicitly.

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/pin_request.h"
#include "platform/base/user_wait.h"

namespace velsor::ui {

// Set by velsor-host in its own process before it makes a control: the web origin of the
// page that drives it. Nothing a page sends can set it.
inline constexpr char kPageOriginVariable[] = "VELSOR_PAGE_ORIGIN";

inline constexpr std::size_t kChooserColumns = 3;
using ChooserRow = std::array<std::u16string, kChooserColumns>;

// The chooser window as its handlers see it. Rows carry item data that identifies them
// whatever order they are sorted in.
class ChooserWindow {
 public:
  virtual void SetCaption(std::u16string_view caption) = 0;
  virtual void SetPrompt(std::u16string_view prompt) = 0;
  virtual void SetButtonTexts(std::u16string_view ok, std::u16string_view cancel,
                              std::u16string_view view) = 0;
  virtual void SetCopyright(std::u16string_view text) = 0;
  // Three centred columns of 140 pixels.
  virtual void SetColumns(const ChooserRow& headers) = 0;
  virtual void AddRow(const ChooserRow& cells, int itemData) = 0;
  // Reorders the rows; `less` compares two rows by their item data.
  virtual void SortRows(const std::function<bool(int, int)>& less) = 0;
  virtual std::optional<int> SelectedItemData() const = 0;
  virtual std::u16string CellText(int itemData, std::size_t column) const = 0;
  virtual void ShowMessage(std::u16string_view text, std::u16string_view caption) = 0;
  // Ends the modal loop.
  virtual void Close() = 0;

 protected:
  ~ChooserWindow() = default;
};

// What the chooser does when the user acts; implemented by the chooser dialog.
class ChooserHandlers {
 public:
  virtual void OnInitDialog(ChooserWindow& window) = 0;
  virtual void OnOk(ChooserWindow& window) = 0;
  // The Cancel button, Escape and the window's close button.
  virtual void OnCancel(ChooserWindow& window) = 0;
  virtual void OnView(ChooserWindow& window) = 0;
  virtual void OnColumnClick(ChooserWindow& window, std::size_t column) = 0;
  virtual void OnDoubleClick(ChooserWindow& window) = 0;

 protected:
  ~ChooserHandlers() = default;
};

struct FileDialogRequest {
  std::u16string title{};
  std::u16string filter{};            // e.g. u"*.*" or u"*.cry"
  std::u16string proposedName{};      // save dialogs
  std::u16string defaultExtension{};  // added when the user types none
  bool confirmOverwrite = false;
};

enum class DialogOutcome { Done, Cancelled, Unavailable };

// One use of the user's private key that a web page asked for.
struct ConsentRequest {
  std::u16string action;       // what the key is to do, e.g. "decrypt a message sent to you"
  std::u16string certificate;  // the subject of the certificate whose key it is
};

struct FileDialogResult {
  DialogOutcome outcome = DialogOutcome::Unavailable;
  std::filesystem::path path;
};

class DialogHost {
 public:
  virtual ~DialogHost() = default;

  // Every dialog first lets go of what this thread holds that other processes may wait
  // for (BeforeUserWait): a dialog can stay open for minutes. The backends show them.

  // Runs the chooser modally until its handlers close it. Unavailable when no dialog
  // can be shown; the handlers are then never called.
  DialogOutcome RunChooser(ChooserHandlers& handlers) {
    BeforeUserWait();
    return ShowChooser(handlers);
  }
  FileDialogResult OpenFile(const FileDialogRequest& request) {
    BeforeUserWait();
    return ShowOpenFile(request);
  }
  FileDialogResult SaveFile(const FileDialogRequest& request) {
    BeforeUserWait();
    return ShowSaveFile(request);
  }
  void ShowMessage(std::u16string_view text, std::u16string_view caption) {
    BeforeUserWait();
    ShowMessageBox(text, caption);
  }
  // Hands a file to the program the desktop uses for its type; false when none can.
  virtual bool OpenWithViewer(const std::filesystem::path& file) = 0;
  // Asks whether the requesting page may use the key: Done when the user allows it,
  // Cancelled when refused or left unanswered past DialogAnswerTime().
  DialogOutcome Confirm(const ConsentRequest& request) {
    BeforeUserWait();
    return ShowConsent(request);
  }
  // Asks a token's PIN, naming the token and PinRequesterLine(). Cancelled when the user
  // cancels or no dialog can be shown; TimedOut when left unanswered past
  // DialogAnswerTime(), for a program as for a web page.
  PinAnswer AskPin(const PinRequest& request) {
    BeforeUserWait();
    return ShowPinDialog(request);
  }

  // The web page the dialogs serve; empty when a program on this machine drives the
  // control. Every backend shows RequesterLine() apart from any text the page sets.
  const std::u16string& Requester() const { return requester_; }
  void SetRequester(std::u16string origin) { requester_ = std::move(origin); }
  std::u16string RequesterLine() const;
  // RequesterLine() for a web page; for a program on this machine, a line naming it.
  std::u16string PinRequesterLine() const;

 private:
  virtual DialogOutcome ShowChooser(ChooserHandlers& handlers) = 0;
  virtual FileDialogResult ShowOpenFile(const FileDialogRequest& request) = 0;
  virtual FileDialogResult ShowSaveFile(const FileDialogRequest& request) = 0;
  virtual void ShowMessageBox(std::u16string_view text, std::u16string_view caption) = 0;
  virtual DialogOutcome ShowConsent(const ConsentRequest& request) = 0;
  virtual PinAnswer ShowPinDialog(const PinRequest& request) = 0;

  std::u16string requester_;
};

// How long a dialog shown for a web page waits for the user before it counts as
// cancelled: 5 minutes, or VELSOR_UI_TIMEOUT seconds when set (tests).
std::chrono::seconds DialogAnswerTime();

// The backend VELSOR_UI names ("desktop" or its POSIX name "gtk", "none", "scripted");
// without it the desktop's dialogs when they can be shown, else "none".
std::unique_ptr<DialogHost> MakeDialogHost();

std::unique_ptr<DialogHost> MakeNoDialogHost();

}  // namespace velsor::ui
