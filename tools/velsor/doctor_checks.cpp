#include "doctor_checks.h"

#include <fstream>
#include <nlohmann/json.hpp>

#include "host_manifest.h"

namespace velsor::cli {

ManifestCheck CheckHostManifest(const std::filesystem::path& manifest, bool firefox) {
  namespace fs = std::filesystem;
  nlohmann::json json;
  try {
    std::ifstream file(manifest);
    json = nlohmann::json::parse(file);
  } catch (const nlohmann::json::exception&) {
    return {"is not valid JSON", ""};
  }
  const nlohmann::json ours =
      firefox ? nlohmann::json::array({bridge::kFirefoxExtensionId})
              : nlohmann::json::array({std::string("chrome-extension://") +
                                       bridge::kChromiumExtensionId + "/"});
  const char* allowedKey = firefox ? "allowed_extensions" : "allowed_origins";
  const std::string program = json.value("path", "");
  std::error_code error;
  const auto executable = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
  if (json.value("name", "") != bridge::kHostName) return {"does not name the host velsor.host", program};
  if (json.value("type", "") != "stdio") return {"is not of type stdio", program};
  if (!json.contains(allowedKey) || json[allowedKey] != ours) {
    return {std::string("does not allow our extension alone (") + allowedKey + ")", program};
  }
  if (program.empty() || !fs::path(program).is_absolute()) {
    return {"does not name the host program by an absolute path", program};
  }
  if (!fs::is_regular_file(program, error) ||
      (fs::status(program, error).permissions() & executable) == fs::perms::none) {
    return {"names " + program + ", which is not a program here", program};
  }
  return {"", program};
}

int Report::Finish() const {
  if (problems_ == 0) {
    std::puts("all is well");
    return 0;
  }
  std::printf("%d problem(s)\n", problems_);
  return 1;
}

std::optional<int> DoctorUsage(Arguments arguments) {
  if (arguments.empty()) return std::nullopt;
  const bool help = arguments[0] == "--help";
  std::fputs("usage: velsor doctor\n  checks what a page in each browser here needs to reach "
             "Velsor,\n  one line per finding; exits 1 when something needs fixing\n",
             help ? stdout : stderr);
  return help ? 0 : 2;
}

}  // namespace velsor::cli
