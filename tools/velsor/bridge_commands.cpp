// velsor bridge: which web origins may use the control from a browser, and the host
// manifests that let the browsers start velsor-host.

#include <cstdio>

#include "allow_list.h"
#include "bridge_manifests.h"
#include "cli.h"

namespace velsor::cli {
namespace {

using namespace velsor::bridge;

constexpr char kBridgeUsage[] =
    "usage:\n"
    "  velsor bridge allow ORIGIN     let the pages of ORIGIN use your certificates\n"
    "  velsor bridge deny ORIGIN      refuse ORIGIN from now on\n"
    "  velsor bridge list             every origin you allowed or denied\n"
    "  velsor bridge install [--browser chromium|chrome|edge|firefox|all] [--profile DIR]\n"
    "                        [--host PROGRAM]\n"
    "      Writes the host manifest where each browser reads it (per user, or in\n"
    "      DIR/NativeMessagingHosts for a browser started with --user-data-dir=DIR).\n"
    "  velsor bridge uninstall [--browser ...] [--profile DIR]\n"
    "  velsor bridge manifest --browser chromium|chrome|edge|firefox --host PROGRAM\n"
    "      Prints the manifest, for a package to put where the browser reads it for\n"
    "      every user.\n"
    "\n"
    "ORIGIN is scheme://host[:port] as the browser shows it: https only, plus\n"
    "http://127.0.0.1 and http://localhost (any port) for pages served on this machine.\n";

Origin OriginArgument(Arguments arguments) {
  if (arguments.size() != 1) throw CommandError("name one origin, e.g. https://bank.example");
  const ParsedOrigin parsed = ParseOrigin(arguments[0]);
  if (!parsed.origin) {
    throw CommandError("'" + std::string(arguments[0]) + "' is not an origin: " + parsed.problem);
  }
  return *parsed.origin;
}

AllowList OpenAllowList() { return Require(AllowList::Open(), "the allow-list"); }

}  // namespace

int BridgeCommand(Arguments arguments) {
  if (arguments.empty() || arguments[0] == "--help") {
    std::fputs(kBridgeUsage, arguments.empty() ? stderr : stdout);
    return arguments.empty() ? 2 : 0;
  }
  const std::string_view command = arguments[0];
  const Arguments rest = arguments.subspan(1);
  if (command == "allow" || command == "deny") {
    const Origin origin = OriginArgument(rest);
    AllowList list = OpenAllowList();
    Require(command == "allow" ? list.Allow(origin) : list.Deny(origin), "the allow-list");
    std::printf("%s %s\n", command == "allow" ? "allowed" : "denied", origin.Text().c_str());
    return 0;
  }
  if (command == "list") {
    for (const AllowListEntry& entry : Require(OpenAllowList().Entries(), "the allow-list")) {
      std::printf("%s\t%s\n", entry.decision == Decision::Allowed ? "allowed" : "denied",
                  entry.origin.c_str());
    }
    return 0;
  }
  if (command == "install") return InstallManifests(rest);
  if (command == "uninstall") return UninstallManifests(rest);
  if (command == "manifest") return PrintManifest(rest);
  throw CommandError("unknown bridge command '" + std::string(command) + "'\n\n" + kBridgeUsage);
}

}  // namespace velsor::cli
