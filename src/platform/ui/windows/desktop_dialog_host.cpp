// The dialog host on the system's dialogs: the chooser as a dialog resource, the common
// open and save dialogs, message boxes, and the shell's "open" for viewing a certificate.
// A token's PIN is never asked here: on Windows the card's provider asks it itself.

#include "platform/ui/desktop_dialog_host.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#include "win32_dialogs.h"

namespace velsor::ui {
namespace {

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

// "*.cry" becomes the filter "*.cry\0*.cry\0"; "*.*" is every file.
std::u16string FilterOf(const std::u16string& pattern) {
  if (pattern.empty()) return std::u16string(u"*.*\0*.*\0", 8);
  std::u16string filter = pattern;
  filter.push_back(u'\0');
  filter += pattern;
  filter.push_back(u'\0');
  return filter;
}

// For a web page the title names it first; what the page asked for follows, cut.
FileDialogResult RunFileDialog(const FileDialogRequest& request, bool saving,
                               const std::u16string& requesterLine) {
  std::vector<wchar_t> name(32768, L'\0');
  const std::u16string proposed = saving ? request.proposedName : std::u16string();
  std::copy(proposed.begin(), proposed.begin() + std::min<std::size_t>(proposed.size(), 32767),
            name.begin());
  const std::u16string filter = FilterOf(request.filter);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.lpstrFilter = Wide(filter);
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  std::u16string title = CutForDialog(request.title, kMaxCaptionUnits);
  if (!requesterLine.empty()) title = requesterLine + (title.empty() ? u"" : u": " + title);
  dialog.lpstrTitle = title.empty() ? nullptr : Wide(title);
  dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : Wide(request.defaultExtension);
  dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR |
                 (saving ? (request.confirmOverwrite ? OFN_OVERWRITEPROMPT : 0)
                         : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  const BOOL chosen = saving ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) {
    return {CommDlgExtendedError() == 0 ? DialogOutcome::Cancelled : DialogOutcome::Unavailable,
            {}};
  }
  return {DialogOutcome::Done, std::filesystem::path(name.data())};
}

class Win32DialogHost final : public DialogHost {
 public:
  DialogOutcome ShowChooser(ChooserHandlers& handlers) override {
    return RunWin32Chooser(handlers, RequesterLine());
  }
  FileDialogResult ShowOpenFile(const FileDialogRequest& request) override {
    return RunFileDialog(request, false, RequesterLine());
  }
  FileDialogResult ShowSaveFile(const FileDialogRequest& request) override {
    return RunFileDialog(request, true, RequesterLine());
  }
  void ShowMessageBox(std::u16string_view text, std::u16string_view caption) override {
    RunMessageBox(nullptr, text, caption, MB_OK | MB_ICONINFORMATION, !Requester().empty(), IDOK);
  }
  bool OpenWithViewer(const std::filesystem::path& file) override {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;  // the shell's success values are above 32
  }
  DialogOutcome ShowConsent(const ConsentRequest& request) override {
    // The page's line first, so that cutting the rest never hides it.
    const std::u16string text = RequesterLine() + u"\n\n" + request.action + u"\n" +
                                CutForDialog(request.certificate, 300);
    const int answer = RunMessageBox(nullptr, text, u"Velsor",
                                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, true, IDNO);
    return answer == IDYES ? DialogOutcome::Done : DialogOutcome::Cancelled;
  }
  PinAnswer ShowPinDialog(const PinRequest&) override { return {PinOutcome::Cancelled, {}}; }
};

}  // namespace

std::unique_ptr<DialogHost> MakeDesktopDialogHost() { return std::make_unique<Win32DialogHost>(); }

}  // namespace velsor::ui
