// velsor.exe: on Windows the certificates are the system's stores, so what is left to the
// user is which web origins may use them, and whether the browsers reach the control.

#include <cstdio>
#include <vector>

#include "cli.h"

namespace {

constexpr char kUsage[] =
    "usage: velsor COMMAND ...\n"
    "\n"
    "  bridge allow|deny|list ...    which web origins may use your certificates\n"
    "  doctor                        what a page in each browser here needs, and its fixes\n"
    "\n"
    "Your certificates are Windows's own: manage them with certmgr.msc.\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
    std::fputs(kUsage, arguments.empty() ? stderr : stdout);
    return arguments.empty() ? 2 : 0;
  }
  try {
    const velsor::cli::Arguments rest = std::span(arguments).subspan(1);
    if (arguments[0] == "bridge") return velsor::cli::BridgeCommand(rest);
    if (arguments[0] == "doctor") return velsor::cli::DoctorCommand(rest);
    std::fprintf(stderr, "velsor: unknown command '%.*s'\n\n%s",
                 static_cast<int>(arguments[0].size()), arguments[0].data(), kUsage);
    return 2;
  } catch (const velsor::cli::CommandError& error) {
    std::fprintf(stderr, "velsor: %s\n", error.what());
    return 1;
  }
}
