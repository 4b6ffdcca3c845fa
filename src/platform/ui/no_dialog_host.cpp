// The backend for a session without a display: nothing can be shown.

#include <cstdio>

#include "platform/codepage/utf.h"
#include "platform/ui/dialog_host.h"

namespace velsor::ui {
namespace {

class NoDialogHost final : public DialogHost {
 public:
  DialogOutcome ShowChooser(ChooserHandlers&) override { return DialogOutcome::Unavailable; }
  FileDialogResult ShowOpenFile(const FileDialogRequest&) override { return {}; }
  FileDialogResult ShowSaveFile(const FileDialogRequest&) override { return {}; }
  // With nobody to see a message box, the message goes to the error stream instead.
  void ShowMessageBox(std::u16string_view text, std::u16string_view) override {
    std::fprintf(stderr, "velsor: %s\n", codepage::Utf16ToUtf8(text).c_str());
  }
  bool OpenWithViewer(const std::filesystem::path&) override { return false; }
  DialogOutcome ShowConsent(const ConsentRequest&) override { return DialogOutcome::Unavailable; }
  PinAnswer ShowPinDialog(const PinRequest&) override { return {PinOutcome::Cancelled, {}}; }
};

}  // namespace

std::unique_ptr<DialogHost> MakeNoDialogHost() { return std::make_unique<NoDialogHost>(); }

}  // namespace velsor::ui
