#include "platform/file/save_names.h"

#include <string>

namespace velsor::file {

namespace fs = std::filesystem;

fs::path SaveTarget(const fs::path& path, bool followLinks) {
  if (!followLinks) return path;
  std::error_code error;
  const auto resolved = fs::weakly_canonical(path, error);
  return error ? path : resolved;
}

fs::path TemporaryBeside(const fs::path& target, std::uint32_t random) {
  fs::path name = target;
  name.replace_filename(fs::path(".").native() + target.filename().native() +
                        fs::path(".velsor-" + std::to_string(random) + ".tmp").native());
  return name;
}

}  // namespace velsor::file
