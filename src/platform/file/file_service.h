#pragma once
// The files the control reads and writes on the user's behalf, with the same safety rules on
// every platform: only regular files are read, and nothing waits on a FIFO or a device; a
// save never goes through a link it was not asked to follow, never reaches a file with other
// names, and replaces an earlier file only once the new one is whole on disk.

#include <cstddef>
#include <filesystem>
#include <string_view>

#include "platform/base/bytes.h"
#include "platform/base/result.h"

namespace velsor::file {

// What separates a path's folders from its file name: '/' on POSIX; on Windows '\' as well,
// which is what its dialogs and pages write.
#ifdef _WIN32
inline constexpr std::string_view kPathSeparators = "\\/";
#else
inline constexpr std::string_view kPathSeparators = "/";
#endif

// The whole of a regular file of 1 to `maxSize` bytes. Any other kind of file, an empty or
// bigger one fails with E_ACCESSDENIED; a failed open or read with E_FAIL, or on Windows
// the system's error.
Result<Bytes> ReadRegularFile(const std::filesystem::path& path, std::size_t maxSize);

// Writes `data` under a temporary name beside `target` and renames it over the target once
// it is whole on disk, so that any failure leaves an earlier file there as it was. A target
// that is not a regular file or has other names is refused; a link at the target is
// replaced at the file it points to with `followLinks` (a place the user chose), and refused
// without. Refusals fail with E_ACCESSDENIED, the rest as ReadRegularFile's failures.
Result<Done> ReplaceFile(const std::filesystem::path& target, ByteView data, bool followLinks);

// A folder for the user alone: made private, or already there as a folder (not a link) of
// the user's.
bool EnsurePrivateFolder(const std::filesystem::path& folder);

// Creates or empties a file only the user may read, without following a link at its name.
bool WritePrivateFile(const std::filesystem::path& path, ByteView data);

bool RemoveFile(const std::filesystem::path& path);

// The user's own folder for temporary files: $XDG_RUNTIME_DIR, else $TMPDIR, else /tmp on
// POSIX; the user's temporary path on Windows.
std::filesystem::path UserTemporaryFolder();

}  // namespace velsor::file
