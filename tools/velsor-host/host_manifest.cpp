#include "host_manifest.h"

#include <cstdlib>
#include <nlohmann/json.hpp>

namespace velsor::bridge {
namespace {

namespace fs = std::filesystem;

fs::path Home() {
  const char* home = std::getenv("HOME");
  return home != nullptr ? fs::path(home) : fs::path("/");
}

fs::path ConfigHome() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  return config != nullptr && *config == '/' ? fs::path(config) : Home() / ".config";
}

}  // namespace

std::optional<std::vector<Browser>> BrowsersNamed(std::string_view name) {
  if (name == "chromium") return std::vector{Browser::Chromium};
  if (name == "chrome") return std::vector{Browser::Chrome};
  if (name == "edge") return std::vector{Browser::Edge};
  if (name == "firefox") return std::vector{Browser::Firefox};
  if (name == "all") {
    return std::vector{Browser::Chromium, Browser::Chrome, Browser::Edge, Browser::Firefox};
  }
  return std::nullopt;
}

std::string_view NameOf(Browser browser) {
  switch (browser) {
    case Browser::Chromium:
      return "chromium";
    case Browser::Chrome:
      return "chrome";
    case Browser::Edge:
      return "edge";
    case Browser::Firefox:
      break;
  }
  return "firefox";
}

fs::path ManifestPath(Browser browser, const std::optional<fs::path>& profile) {
  const std::string file = std::string(kHostName) + ".json";
  if (profile) return *profile / "NativeMessagingHosts" / file;
  switch (browser) {
    case Browser::Chromium:
      return ConfigHome() / "chromium" / "NativeMessagingHosts" / file;
    case Browser::Chrome:
      return ConfigHome() / "google-chrome" / "NativeMessagingHosts" / file;
    case Browser::Edge:
      return ConfigHome() / "microsoft-edge" / "NativeMessagingHosts" / file;
    case Browser::Firefox:
      break;
  }
  return Home() / ".mozilla" / "native-messaging-hosts" / file;
}

fs::path SystemManifestPath(Browser browser) {
  const std::string file = std::string(kHostName) + ".json";
  switch (browser) {
    case Browser::Chromium:
      return fs::path("/etc/chromium/native-messaging-hosts") / file;
    case Browser::Chrome:
      return fs::path("/etc/opt/chrome/native-messaging-hosts") / file;
    case Browser::Edge:
      return fs::path("/etc/opt/edge/native-messaging-hosts") / file;
    case Browser::Firefox:
      break;
  }
  return fs::path("/usr/lib/mozilla/native-messaging-hosts") / file;
}

std::string ManifestText(Browser browser, const fs::path& hostProgram) {
  nlohmann::ordered_json manifest = {
      {"name", kHostName},
      {"description", "Velsor: sign, verify, encrypt and decrypt with your certificates"},
      {"path", hostProgram.string()},
      {"type", "stdio"},
  };
  if (browser == Browser::Firefox) {
    manifest["allowed_extensions"] = {kFirefoxExtensionId};
  } else {
    manifest["allowed_origins"] = {std::string("chrome-extension://") + kChromiumExtensionId + "/"};
  }
  return manifest.dump(2) + "\n";
}

}  // namespace velsor::bridge
