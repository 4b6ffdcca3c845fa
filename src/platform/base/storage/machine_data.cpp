#include "platform/base/storage/machine_data.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/base/file_descriptor.h"

namespace velsor::storage {
namespace {

namespace fs = std::filesystem;

constexpr mode_t kSharedFolder = 0755;
constexpr mode_t kSharedFile = 0644;

fs::path MachineFolder() {
  const char* chosen = std::getenv("VELSOR_MACHINE_HOME");
  if (chosen != nullptr && chosen[0] == '/') return fs::path(chosen);
  return fs::path("/var/lib/velsor");
}

Error Refuse(const fs::path& path, const std::string& why) {
  return Failure(E_ACCESSDENIED, "refusing to use " + path.string() + ": " + why);
}

// Owned by root (or by whoever writes it, so that tests and non-root packagers can make
// one of their own) and writable by its owner alone.
std::optional<std::string> Untrusted(const struct stat& status) {
  if (status.st_uid != 0 && status.st_uid != geteuid()) return "it belongs to another user";
  if (status.st_mode & (S_IWGRP | S_IWOTH)) return "others can write to it";
  return std::nullopt;
}

Result<Done> CheckFolder(const fs::path& folder) {
  struct stat status {};
  if (::lstat(folder.c_str(), &status) != 0) return Failure(E_FAIL, "no " + folder.string());
  if (!S_ISDIR(status.st_mode)) return Refuse(folder, "not a folder");
  if (auto why = Untrusted(status)) return Refuse(folder, *why);
  return Done{};
}

}  // namespace

bool MachineWide() {
  const char* value = std::getenv("VELSOR_MACHINE_WIDE");
  return value != nullptr && std::string_view(value) == "1";
}

Result<std::optional<fs::path>> MachineFileToRead(const std::string& name) {
  const fs::path folder = MachineFolder();
  const fs::path path = folder / name;
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return std::optional<fs::path>();
  if (auto checked = CheckFolder(folder); !checked) return checked.error();
  if (!S_ISREG(status.st_mode)) return Refuse(path, "not a regular file");
  if (auto why = Untrusted(status)) return Refuse(path, *why);
  return std::optional<fs::path>(path);
}

Result<fs::path> MachineFileToWrite(const std::string& name) {
  const fs::path folder = MachineFolder();
  std::error_code ignored;
  fs::create_directories(folder.parent_path(), ignored);
  if (::mkdir(folder.c_str(), kSharedFolder) != 0 && errno != EEXIST) {
    return Failure(E_FAIL, "cannot create " + folder.string() + ": " + std::strerror(errno));
  }
  if (auto checked = CheckFolder(folder); !checked) return checked.error();
  const fs::path path = folder / name;
  FileDescriptor created(
      ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kSharedFile));
  if (!created && errno != EEXIST) {
    return Failure(E_FAIL, "cannot create " + path.string() + ": " + std::strerror(errno));
  }
  created.Close();
  // Readable by every user whatever the writer's umask.
  ::chmod(folder.c_str(), kSharedFolder);
  ::chmod(path.c_str(), kSharedFile);
  auto readable = MachineFileToRead(name);
  if (!readable) return readable.error();
  if (!*readable) return Failure(E_FAIL, "cannot create " + path.string());
  return **readable;
}

}  // namespace velsor::storage
