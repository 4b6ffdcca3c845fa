#include "platform/base/storage/velsor_home.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/base/file_descriptor.h"

namespace velsor::storage {
namespace {

namespace fs = std::filesystem;

constexpr mode_t kPrivateFolder = 0700;
constexpr mode_t kPrivateFile = 0600;

std::optional<fs::path> AbsoluteFromEnvironment(const char* variable) {
  const char* value = std::getenv(variable);
  if (value == nullptr || *value == '\0' || value[0] != '/') return std::nullopt;
  return fs::path(value);
}

std::optional<fs::path> UserHomeFolder() {
  if (auto home = AbsoluteFromEnvironment("HOME")) return home;
  if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_dir != nullptr) {
    return fs::path(entry->pw_dir);
  }
  return std::nullopt;
}

std::optional<fs::path> HomeLocation() {
  if (const char* explicitHome = std::getenv("VELSOR_HOME");
      explicitHome != nullptr && *explicitHome != '\0') {
    return fs::absolute(explicitHome);
  }
  if (auto data = AbsoluteFromEnvironment("XDG_DATA_HOME")) return *data / "velsor";
  if (auto home = UserHomeFolder()) return *home / ".local" / "share" / "velsor";
  return std::nullopt;
}

Error Refuse(const fs::path& path, const std::string& why) {
  return Failure(E_ACCESSDENIED, "refusing to use " + path.string() + ": " + why);
}

}  // namespace

Result<fs::path> VelsorHome() {
  const auto home = HomeLocation();
  if (!home) return Failure(E_FAIL, "no home folder: set VELSOR_HOME or HOME");
  struct stat status {};
  if (::stat(home->c_str(), &status) != 0) {
    // Made on first use only; every later call just checks it.
    std::error_code error;
    fs::create_directories(home->parent_path(), error);
    if (::mkdir(home->c_str(), kPrivateFolder) != 0 && errno != EEXIST) {
      return Failure(E_FAIL, "cannot create " + home->string() + ": " + std::strerror(errno));
    }
    if (::stat(home->c_str(), &status) != 0) return Refuse(*home, "it cannot be read");
  }
  if (!S_ISDIR(status.st_mode)) return Refuse(*home, "not a folder");
  if (status.st_uid != geteuid()) return Refuse(*home, "it belongs to another user");
  if (status.st_mode & (S_IWGRP | S_IWOTH)) {
    return Refuse(*home, "others can write to it (make it private with chmod 700)");
  }
  // The checked folder, with any link on its way resolved once: the database is opened
  // without following links, and refuses a path that has one anywhere.
  std::error_code error;
  auto resolved = fs::canonical(*home, error);
  if (error) return Refuse(*home, "its path cannot be resolved");
  return resolved;
}

Result<fs::path> PrivateUserFile(const std::string& name) {
  auto home = VelsorHome();
  if (!home) return home.error();
  const fs::path path = *home / name;
  // The folder is private, so what lstat finds here is what the no-follow open gets.
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) {
    FileDescriptor created(
        ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kPrivateFile));
    if (!created && errno != EEXIST) {
      return Failure(E_FAIL, "cannot create " + path.string() + ": " + std::strerror(errno));
    }
    if (created && !created.Close()) {
      return Failure(E_FAIL, "cannot create " + path.string() + ": " + std::strerror(errno));
    }
    if (::lstat(path.c_str(), &status) != 0) {
      return Failure(E_FAIL, "cannot open " + path.string() + ": " + std::strerror(errno));
    }
  }
  if (!S_ISREG(status.st_mode)) return Refuse(path, "not a regular file");
  if (status.st_uid != geteuid()) return Refuse(path, "it belongs to another user");
  // A file others may read or write is made private again; one the user made read-only
  // stays so.
  if ((status.st_mode & 077) != 0 && ::chmod(path.c_str(), status.st_mode & 0700) != 0) {
    return Failure(E_FAIL, "cannot make " + path.string() + " private: " + std::strerror(errno));
  }
  return path;
}

}  // namespace velsor::storage
