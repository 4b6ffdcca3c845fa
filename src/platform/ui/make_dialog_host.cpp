// Picks the dialog backend for this session.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/ui/gtk/gtk_dialog_host.h"
#include "platform/ui/scripted_dialog_host.h"

namespace velsor::ui {
namespace {

std::unique_ptr<DialogHost> ScriptedFromEnvironment() {
  auto host = std::make_unique<ScriptedDialogHost>();
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

}  // namespace

std::unique_ptr<DialogHost> MakeDialogHost() {
  const char* chosen = std::getenv("VELSOR_UI");
  const std::string backend = chosen != nullptr ? chosen : "";
  if (backend == "scripted") return ScriptedFromEnvironment();
  if (backend == "none") return MakeNoDialogHost();
  // The desktop when a display is there (asked for or not), else no dialogs at all.
  const bool display =
      std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
  if (backend == "gtk" || (backend.empty() && display)) {
    if (auto desktop = MakeGtkDialogHost()) return desktop;
  }
  return MakeNoDialogHost();
}

}  // namespace velsor::ui
