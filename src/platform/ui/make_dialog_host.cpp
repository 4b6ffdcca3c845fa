// Picks the dialog backend for this session.

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/base/program_name.h"
#include "platform/codepage/utf.h"
#include "platform/ui/desktop_dialog_host.h"
#include "platform/ui/scripted_dialog_host.h"

namespace velsor::ui {
namespace {

std::unique_ptr<DialogHost> ScriptedFromEnvironment() {
  auto host = std::make_unique<ScriptedDialogHost>();
  if (const char* record = std::getenv("VELSOR_UI_RECORD")) host->RecordTo(record);
  if (const char* file = std::getenv("VELSOR_UI_SCRIPT")) {
    std::ifstream in(file);
    const std::string script((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
      std::fprintf(stderr, "velsor: cannot read VELSOR_UI_SCRIPT %s\n", file);
    } else if (!host->LoadScript(script)) {
      std::fprintf(stderr, "velsor: VELSOR_UI_SCRIPT %s has a line it does not understand\n", file);
    }
  }
  return host;
}

std::unique_ptr<DialogHost> MakeBackend() {
  const char* chosen = std::getenv("VELSOR_UI");
  const std::string backend = chosen != nullptr ? chosen : "";
  if (backend == "scripted") return ScriptedFromEnvironment();
  if (backend == "none") return MakeNoDialogHost();
  // The desktop's dialogs when they can be shown, else none at all.
  if (backend.empty() || backend == "gtk" || backend == "desktop") {
    if (auto desktop = MakeDesktopDialogHost()) return desktop;
  }
  return MakeNoDialogHost();
}

}  // namespace

std::u16string DialogHost::RequesterLine() const {
  if (requester_.empty()) return {};
  return u"网页 " + requester_ + u" 请求使用您的证书 (requested by " + requester_ + u")";
}

std::u16string DialogHost::PinRequesterLine() const {
  if (!requester_.empty()) return RequesterLine();
  const std::u16string program = RunningProgramName();
  return u"程序 " + program + u" 请求使用您的令牌 (requested by the program " + program + u")";
}

std::chrono::seconds DialogAnswerTime() {
  constexpr std::chrono::seconds kFiveMinutes{300};
  const char* configured = std::getenv("VELSOR_UI_TIMEOUT");
  if (configured == nullptr) return kFiveMinutes;
  long seconds = 0;
  const std::string_view text(configured);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error != std::errc() || end != text.data() + text.size() || seconds <= 0) return kFiveMinutes;
  return std::chrono::seconds(seconds);
}

std::unique_ptr<DialogHost> MakeDialogHost() {
  std::unique_ptr<DialogHost> host = MakeBackend();
  if (const char* origin = std::getenv(kPageOriginVariable); origin != nullptr && *origin != '\0') {
    host->SetRequester(codepage::Utf8ToUtf16(origin));
  }
  return host;
}

}  // namespace velsor::ui
