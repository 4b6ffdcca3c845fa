#include "files/file_operations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <random>
#include <utility>

#include "platform/base/file_descriptor.h"
#include "platform/codepage/utf.h"

namespace velsor::files {
namespace {

ReadResult ReadPath(const std::filesystem::path& path) {
  const std::string full = path.string();
  const std::size_t slash = full.rfind('/');
  if (slash == std::string::npos) return {};
  // Opened without waiting, so that a FIFO or a device named here cannot hold the call;
  // anything but a regular file is refused before a byte is read.
  FileDescriptor file(::open(full.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat info {};
  if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_size <= 0 || info.st_size >= std::numeric_limits<std::int32_t>::max()) {
    return {};
  }
  ReadResult read{kFileOk, codepage::Utf8ToUtf16(std::string_view(full).substr(slash + 1))};
  read.data.resize(static_cast<std::size_t>(info.st_size));
  const auto got = ReadFully(file.get(), read.data.data(), read.data.size());
  if (!got || *got != read.data.size()) return {};  // the file shrank or cannot be read
  return read;
}

// Whether a save may put its file at `target`: nothing there yet, or a regular file with
// no other name (a hard link would let the save reach a file elsewhere).
bool MayReplace(const std::filesystem::path& target, struct stat& existing, bool& exists) {
  exists = ::lstat(target.c_str(), &existing) == 0;
  if (!exists) return errno == ENOENT;
  return S_ISREG(existing.st_mode) && existing.st_nlink == 1;
}

// A new file beside the target, for the data to be written before it takes the target's
// name; nothing when none can be made.
std::optional<std::pair<FileDescriptor, std::filesystem::path>> TemporaryBeside(
    const std::filesystem::path& target) {
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::filesystem::path name = target;
    std::string temporaryName = ".";
    temporaryName.append(target.filename().string()).append(".velsor-");
    temporaryName.append(std::to_string(random())).append(".tmp");
    name.replace_filename(temporaryName);
    // 0666 as any new file, less the user's umask.
    FileDescriptor fd(
        ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd.get() >= 0) return std::pair{std::move(fd), std::move(name)};
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

// Writes the data under a temporary name in the target's folder and renames it over the
// target only once it is whole on disk, so that a full disk or any failure leaves an
// earlier file of that name as it was. `followLinks`: a link at the target (which the
// user chose) is replaced at the file it points to; otherwise a link there fails.
std::int32_t WritePath(const std::filesystem::path& path, ByteView data, bool followLinks) {
  std::filesystem::path target = path;
  if (followLinks) {
    std::error_code error;
    const auto resolved = std::filesystem::weakly_canonical(path, error);
    if (!error) target = resolved;
  }
  struct stat existing {};
  bool exists = false;
  if (target.filename().empty() || !MayReplace(target, existing, exists)) return kFileFailed;
  auto temporary = TemporaryBeside(target);
  if (!temporary) return kFileFailed;
  auto& [file, name] = *temporary;
  const bool written = (!exists || ::fchmod(file.get(), existing.st_mode & 07777) == 0) &&
                       WriteFully(file.get(), data.data(), data.size()) && ::fsync(file.get()) == 0 && file.Close();
  // The target is looked at once more just before it is replaced: what appeared there in
  // the meantime gets the same refusal.
  struct stat now {};
  bool stillExists = false;
  if (!written || !MayReplace(target, now, stillExists) ||
      ::rename(name.c_str(), target.c_str()) != 0) {
    ::unlink(name.c_str());
    return kFileFailed;
  }
  return kFileOk;
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
