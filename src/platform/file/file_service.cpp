// The file service on POSIX: descriptors opened without following links or waiting on
// special files, fstat and lstat checks, fsync and rename.

#include "platform/file/file_service.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <utility>

#include "platform/base/file_descriptor.h"
#include "platform/base/hresult.h"
#include "platform/file/save_names.h"

namespace velsor::file {
namespace {

namespace fs = std::filesystem;

Error SystemFailure(const std::string& what) {
  return Failure(E_FAIL, what + ": " + std::strerror(errno));
}

// What a save may put its file in place of: nothing there yet, or a regular file with no
// other name (a hard link would let the save reach a file elsewhere).
Result<std::optional<struct stat>> ReplaceableTarget(const fs::path& target) {
  struct stat existing {};
  if (::lstat(target.c_str(), &existing) != 0) {
    if (errno == ENOENT) return std::optional<struct stat>();
    return SystemFailure("cannot look at " + target.string());
  }
  if (!S_ISREG(existing.st_mode) || existing.st_nlink != 1) {
    return Failure(E_ACCESSDENIED, target.string() + " is no file of one name");
  }
  return std::optional(existing);
}

// A new file beside the target, for the data to be written before it takes the target's
// name; nothing when none can be made.
std::optional<std::pair<FileDescriptor, fs::path>> OpenTemporaryBeside(const fs::path& target) {
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    fs::path name = TemporaryBeside(target, random());
    // 0666 as any new file, less the user's umask.
    FileDescriptor fd(
        ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd) return std::pair{std::move(fd), std::move(name)};
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

Result<Bytes> ReadRegularFile(const fs::path& path, std::size_t maxSize) {
  // Opened without waiting, so that a FIFO or a device named here cannot hold the call;
  // anything but a regular file is refused before a byte is read.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat info {};
  if (!file || ::fstat(file.get(), &info) != 0)
    return SystemFailure("cannot open " + path.string());
  if (!S_ISREG(info.st_mode) || info.st_size <= 0 ||
      static_cast<std::uint64_t>(info.st_size) > maxSize) {
    return Failure(E_ACCESSDENIED, path.string() + " is no regular file of a size to read");
  }
  Bytes data(static_cast<std::size_t>(info.st_size));
  const auto got = ReadFully(file.get(), data.data(), data.size());
  if (!got) return SystemFailure("cannot read " + path.string());
  if (*got != data.size()) return Failure(E_FAIL, path.string() + " shrank while read");
  return data;
}

Result<Done> ReplaceFile(const fs::path& path, ByteView data, bool followLinks) {
  const fs::path target = SaveTarget(path, followLinks);
  if (target.filename().empty()) return Failure(E_ACCESSDENIED, "no file name to save to");
  const auto existing = ReplaceableTarget(target);
  if (!existing) return existing.error();
  auto temporary = OpenTemporaryBeside(target);
  if (!temporary) return SystemFailure("cannot make a file beside " + target.string());
  FileDescriptor& file = temporary->first;
  const fs::path& name = temporary->second;
  const bool written = (!*existing || ::fchmod(file.get(), (*existing)->st_mode & 07777) == 0) &&
                       WriteFully(file.get(), data.data(), data.size()) &&
                       ::fsync(file.get()) == 0 && file.Close();
  // The target is looked at once more just before it is replaced: what appeared there in
  // the meantime gets the same refusal.
  Result<Done> replaced = Done{};
  if (!written) {
    replaced = SystemFailure("cannot write " + name.string());
  } else if (const auto now = ReplaceableTarget(target); !now) {
    replaced = now.error();
  } else if (::rename(name.c_str(), target.c_str()) != 0) {
    replaced = SystemFailure("cannot rename to " + target.string());
  }
  if (!replaced) ::unlink(name.c_str());
  return replaced;
}

bool EnsurePrivateFolder(const fs::path& folder) {
  if (::mkdir(folder.c_str(), 0700) == 0) return true;
  struct stat status {};
  return errno == EEXIST && ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
         status.st_uid == geteuid();
}

bool WritePrivateFile(const fs::path& path, ByteView data) {
  FileDescriptor file(
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
  return file && WriteFully(file.get(), data.data(), data.size()) && file.Close();
}

bool RemoveFile(const fs::path& path) { return ::unlink(path.c_str()) == 0; }

fs::path UserTemporaryFolder() {
  for (const char* variable : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') return value;
  }
  return "/tmp";
}

}  // namespace velsor::file
