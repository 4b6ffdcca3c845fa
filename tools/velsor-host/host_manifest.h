#pragma once
// Where each browser looks for our native-messaging host and what it must read there: the
// host's name, its program, and the one extension allowed to start it.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velsor::bridge {

inline constexpr char kHostName[] = "velsor.host";
// Fixed by the public key in extension/manifest.json.
inline constexpr char kChromiumExtensionId[] = "fpkilmkpfceombilonhmapgmaeffblcf";
inline constexpr char kFirefoxExtensionId[] = "bridge@velsor";

enum class Browser { Chromium, Chrome, Edge, Firefox };

std::optional<std::vector<Browser>> BrowsersNamed(std::string_view name);  // or "all"
inline constexpr char kBrowserNames[] = "chromium, chrome, edge, firefox or all";
std::string_view NameOf(Browser browser);

// The manifest file for `browser`: in its per-user folder, or in PROFILE/NativeMessagingHosts
// when a profile folder is given (browsers started with --user-data-dir read only that).
std::filesystem::path ManifestPath(Browser browser,
                                   const std::optional<std::filesystem::path>& profile);

// Where the browser reads the manifest for every user of the machine, as a package puts it.
std::filesystem::path SystemManifestPath(Browser browser);

std::string ManifestText(Browser browser, const std::filesystem::path& hostProgram);

}  // namespace velsor::bridge
