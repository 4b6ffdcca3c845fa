// The commands of velsor.exe: on Windows the certificates are the system's stores, so what
// is left to the user is which web origins may use them, and whether the browsers reach
// the control.

#include "cli.h"

namespace velsor::cli {
namespace {

constexpr char kUsage[] =
    "usage: velsor COMMAND ...\n"
    "\n"
    "  bridge allow|deny|list ...    which web origins may use your certificates\n"
    "  doctor                        what a page in each browser here needs, and its fixes\n"
    "\n"
    "Your certificates are Windows's own: manage them with certmgr.msc.\n";

}  // namespace

const char* Usage() { return kUsage; }

std::span<const NamedCommand> Commands() {
  static constexpr NamedCommand kCommands[] = {
      {"bridge", &BridgeCommand},
      {"doctor", &DoctorCommand},
  };
  return kCommands;
}

}  // namespace velsor::cli
