// velsor bridge install|uninstall|manifest: the host manifests that let the browsers start
// velsor-host, where each reads them for this user or for a browser's own profile.

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <optional>

#include "bridge_manifests.h"
#include "host_manifest.h"

namespace velsor::cli {
namespace {

namespace fs = std::filesystem;
using namespace velsor::bridge;

struct InstallOptions {
  std::vector<Browser> browsers{Browser::Chromium, Browser::Chrome, Browser::Edge,
                                Browser::Firefox};
  std::optional<fs::path> profile;
  std::optional<fs::path> host;
};

InstallOptions InstallArguments(Arguments arguments) {
  InstallOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view option = arguments[i];
    if (i + 1 >= arguments.size()) throw CommandError(std::string(option) + " needs a value");
    const std::string_view value = arguments[++i];
    if (option == "--browser") {
      auto named = BrowsersNamed(value);
      if (!named) throw CommandError(std::string("--browser is ") + kBrowserNames);
      options.browsers = *named;
    } else if (option == "--profile") {
      options.profile = fs::absolute(fs::path(value));
    } else if (option == "--host") {
      options.host = fs::absolute(fs::path(value));
    } else {
      throw CommandError("unknown option " + std::string(option));
    }
  }
  // A profile folder is a Chromium-family notion; Firefox reads only its per-user folder.
  if (options.profile) std::erase(options.browsers, Browser::Firefox);
  return options;
}

// velsor-host beside this program (installed), or in its build folder.
fs::path HostProgram(const std::optional<fs::path>& given) {
  std::error_code error;
  if (given) {
    if (!fs::is_regular_file(*given, error))
      throw CommandError(given->string() + " is not a program");
    return *given;
  }
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  for (const fs::path& candidate :
       {self.parent_path() / "velsor-host",
        self.parent_path().parent_path() / "velsor-host" / "velsor-host"}) {
    if (!error && fs::is_regular_file(candidate)) return candidate;
  }
  throw CommandError("velsor-host is not beside velsor; name it with --host PROGRAM");
}

void WriteManifest(const fs::path& path, const std::string& text) {
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  const fs::path temporary = path.string() + ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << text;
    if (!file.flush()) throw CommandError("cannot write " + temporary.string());
  }
  fs::rename(temporary, path, error);
  if (error) throw CommandError("cannot write " + path.string() + ": " + error.message());
}

}  // namespace

int InstallManifests(Arguments arguments) {
  const InstallOptions options = InstallArguments(arguments);
  const fs::path host = HostProgram(options.host);
  for (const Browser browser : options.browsers) {
    const fs::path path = ManifestPath(browser, options.profile);
    WriteManifest(path, ManifestText(browser, host));
    std::printf("%s: %s\n", std::string(NameOf(browser)).c_str(), path.c_str());
  }
  return 0;
}

// The manifest as given, with no folder of this machine checked: a package's build
// writes it for the machine it will be installed on.
int PrintManifest(Arguments arguments) {
  const InstallOptions options = InstallArguments(arguments);
  if (options.browsers.size() != 1 || !options.host) {
    throw CommandError("name one browser (--browser) and the host program (--host)");
  }
  std::fputs(ManifestText(options.browsers.front(), *options.host).c_str(), stdout);
  return 0;
}

int UninstallManifests(Arguments arguments) {
  const InstallOptions options = InstallArguments(arguments);
  for (const Browser browser : options.browsers) {
    const fs::path path = ManifestPath(browser, options.profile);
    std::error_code error;
    if (fs::remove(path, error)) std::printf("removed %s\n", path.c_str());
  }
  return 0;
}

}  // namespace velsor::cli
