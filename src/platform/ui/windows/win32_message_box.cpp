// Message boxes for the dialogs: texts a page may have set are cut to a length the box
// shows on the screen, and a box a web page caused answers itself when the user leaves it
// past DialogAnswerTime(), as the chooser does.

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "win32_dialogs.h"

namespace velsor::ui {
namespace {

struct BoxSought {
  std::u16string caption;
  HWND found = nullptr;
};

BOOL CALLBACK FindBox(HWND window, LPARAM data) {
  auto* sought = reinterpret_cast<BoxSought*>(data);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  std::u16string caption(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, u'\0');
  GetWindowTextW(window, reinterpret_cast<wchar_t*>(caption.data()),
                 static_cast<int>(caption.size()));
  caption.resize(caption.size() - 1);
  if (std::wstring_view(className) == L"#32770" && caption == sought->caption) {
    sought->found = window;
    return FALSE;
  }
  return TRUE;
}

// Answers the box of `caption` that `thread` shows with `answer` once the answer time has
// passed, unless stopped first.
class BoxDeadline {
 public:
  BoxDeadline(DWORD thread, std::u16string caption, int answer)
      : watcher_([this, thread, caption = std::move(caption), answer] {
          std::unique_lock lock(mutex_);
          if (stop_.wait_for(lock, DialogAnswerTime(), [this] { return stopped_; })) return;
          BoxSought sought{caption};
          EnumThreadWindows(thread, &FindBox, reinterpret_cast<LPARAM>(&sought));
          if (sought.found != nullptr) PostMessageW(sought.found, WM_COMMAND, answer, 0);
        }) {}
  ~BoxDeadline() {
    {
      std::lock_guard lock(mutex_);
      stopped_ = true;
    }
    stop_.notify_one();
    watcher_.join();
  }
  BoxDeadline(const BoxDeadline&) = delete;
  BoxDeadline& operator=(const BoxDeadline&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable stop_;
  bool stopped_ = false;
  std::thread watcher_;  // last: it starts once the rest is made
};

// The box breaks lines only at spaces, so a long run without one (no-break spaces, say)
// would make it wider than the screen: such runs are broken with line ends.
std::u16string WithLineBreaks(std::u16string_view text) {
  constexpr std::size_t kRun = 60;
  std::u16string broken;
  std::size_t run = 0;
  for (const char16_t unit : text) {
    const bool breaks = unit == u' ' || unit == u'\n';
    if (!breaks && run >= kRun && !(unit >= 0xDC00 && unit <= 0xDFFF)) {
      broken += u'\n';
      run = 0;
    }
    broken += unit;
    run = breaks ? 0 : run + 1;
  }
  return broken;
}

}  // namespace

std::u16string CutForDialog(std::u16string_view text, std::size_t units) {
  if (text.size() <= units) return std::u16string(text);
  std::size_t cut = units;
  // Never between the halves of a surrogate pair.
  if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
  return std::u16string(text.substr(0, cut)) + u"…";
}

int RunMessageBox(HWND owner, std::u16string_view text, std::u16string_view caption, UINT style,
                  bool forWebPage, int answerWhenLeft) {
  const std::u16string body = WithLineBreaks(CutForDialog(text, kMaxMessageUnits));
  const std::u16string title = CutForDialog(caption, kMaxCaptionUnits);
  std::optional<BoxDeadline> deadline;
  if (forWebPage) deadline.emplace(GetCurrentThreadId(), title, answerWhenLeft);
  return MessageBoxW(owner, reinterpret_cast<const wchar_t*>(body.c_str()),
                     reinterpret_cast<const wchar_t*>(title.c_str()), style);
}

}  // namespace velsor::ui
