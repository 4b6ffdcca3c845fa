// Answers the certificate chooser that another program shows, as its user would: waits for
// the chooser (a dialog with the certificate list of resource 202), prints the line naming
// the requester, picks the first certificate by key and presses OK.
//   answer_chooser [SECONDS]      exits 0 once it answered, 1 when no chooser came

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kRequester = 1000;  // the line naming the page, in dialog resource 202
constexpr int kList = 1002;       // the list of certificates

BOOL CALLBACK LookAt(HWND window, LPARAM found) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (std::wstring(name) == L"#32770" && IsWindowVisible(window) &&
      GetDlgItem(window, kList) != nullptr) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  for (int waited = 0; waited < seconds * 10; ++waited) {
    HWND dialog = nullptr;
    EnumWindows(&LookAt, reinterpret_cast<LPARAM>(&dialog));
    if (dialog != nullptr) {
      Sleep(300);  // the dialog fills its list as it opens
      wchar_t requester[512] = {};
      GetDlgItemTextW(dialog, kRequester, requester, 512);
      char line[2048] = {};
      WideCharToMultiByte(CP_UTF8, 0, requester, -1, line, sizeof line, nullptr, nullptr);
      std::printf("requester: %s\n", line);
      // The list is another process's: its item records cannot be passed from here, but the
      // keys a user presses can. Home selects the first row.
      HWND list = GetDlgItem(dialog, kList);
      SendMessageW(list, WM_KEYDOWN, VK_HOME, 0);
      SendMessageW(list, WM_KEYUP, VK_HOME, 0);
      Sleep(200);
      SendMessageW(dialog, WM_COMMAND, IDOK, 0);
      return 0;
    }
    Sleep(100);
  }
  std::fprintf(stderr, "answer_chooser: no chooser within %d s\n", seconds);
  return 1;
}
