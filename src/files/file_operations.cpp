#include "files/file_operations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>

#include "platform/codepage/utf.h"

namespace velsor::files {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, reporting whether buffered data reached the file.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

ReadResult ReadPath(const std::filesystem::path& path) {
  const std::string full = path.string();
  const std::size_t slash = full.rfind('/');
  if (slash == std::string::npos) return {};
  FileDescriptor file(::open(full.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_size <= 0 || info.st_size >= std::numeric_limits<std::int32_t>::max()) {
    return {};
  }
  ReadResult read{kFileOk, codepage::Utf8ToUtf16(std::string_view(full).substr(slash + 1))};
  read.data.resize(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < read.data.size()) {
    const ssize_t n = ::read(file.get(), read.data.data() + done, read.data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return {};  // the file shrank or cannot be read
    done += static_cast<std::size_t>(n);
  }
  return read;
}

std::int32_t WritePath(const std::filesystem::path& path, ByteView data, bool followLinks) {
  const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW);
  FileDescriptor file(::open(path.c_str(), flags, 0666));
  if (file.get() < 0) return kFileFailed;
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(file.get(), data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return kFileFailed;
    done += static_cast<std::size_t>(n);
  }
  return file.Close() ? kFileOk : kFileFailed;
}

std::int32_t Save(ui::DialogHost& host, ui::FileDialogRequest request, ByteView data,
                  const std::optional<std::filesystem::path>& path) {
  if (path) return WritePath(*path, data, false);
  request.confirmOverwrite = true;
  const ui::FileDialogResult chosen = host.SaveFile(request);
  if (chosen.outcome != ui::DialogOutcome::Done) return kFileFailed;
  return WritePath(chosen.path, data, true);
}

}  // namespace

ReadResult ReadFileByDialog(ui::DialogHost& host, std::u16string_view title,
                            std::u16string_view filter, std::optional<std::u16string_view> path) {
  if (path) return ReadPath(std::filesystem::path(codepage::Utf16ToUtf8(*path)));
  const ui::FileDialogResult chosen =
      host.OpenFile({.title = std::u16string(title), .filter = std::u16string(filter)});
  if (chosen.outcome == ui::DialogOutcome::Cancelled) return {kFileCancelled};
  if (chosen.outcome != ui::DialogOutcome::Done) return {};
  return ReadPath(chosen.path);
}

std::int32_t SaveFileByDialog(ui::DialogHost& host, std::u16string_view title,
                              std::u16string_view filter, std::u16string_view proposedName,
                              ByteView data, std::optional<std::filesystem::path> path) {
  return Save(host,
              {.title = std::u16string(title),
               .filter = std::u16string(filter),
               .proposedName = std::u16string(proposedName)},
              data, path);
}

std::int32_t SaveFileByDialogExt(ui::DialogHost& host, std::u16string_view title,
                                 std::u16string_view filter, std::u16string_view defaultExtension,
                                 ByteView data, std::optional<std::filesystem::path> path) {
  return Save(host,
              {.title = std::u16string(title),
               .filter = std::u16string(filter),
               .defaultExtension = std::u16string(defaultExtension)},
              data, path);
}

bool IsPlainFileName(std::u16string_view name) {
  return !name.empty() && name != u"." &&
         name.find_first_of(std::u16string_view(u"/\\\0", 3)) == std::u16string_view::npos &&
         name.find(u"..") == std::u16string_view::npos;
}

}  // namespace velsor::files
