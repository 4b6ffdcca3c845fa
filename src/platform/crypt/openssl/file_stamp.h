#pragma once
// What tells that a file or folder changed without reading it: its identity, size and
// modification time. A folder's stamp changes when an entry is added, removed or renamed.

#include <sys/stat.h>

#include <optional>
#include <string>

namespace velsor::crypt {

struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long seconds = 0;
  long nanoseconds = 0;
  bool operator==(const FileStamp&) const = default;
};

// Nothing when the path does not exist (or cannot be looked at).
inline std::optional<FileStamp> StampOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return FileStamp{status.st_dev, status.st_ino, status.st_size,
                   static_cast<long>(status.st_mtim.tv_sec), status.st_mtim.tv_nsec};
}

}  // namespace velsor::crypt
