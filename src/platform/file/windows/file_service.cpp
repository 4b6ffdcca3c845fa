// The file service on Windows: CreateFileW with the same rules as on POSIX. Reparse points
// (links, junctions) are opened as themselves and refused, only disk files are read, a save
// goes through a temporary file that MoveFileExW puts over the target once it is flushed.

#include "platform/file/file_service.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <random>
#include <string>

#include "platform/base/hresult.h"
#include "platform/file/save_names.h"

namespace velsor::file {
namespace {

namespace fs = std::filesystem;

struct CloseHandleDeleter {
  void operator()(HANDLE handle) const {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using Handle = std::unique_ptr<void, CloseHandleDeleter>;

Handle Open(const fs::path& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, disposition,
                              flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  return Handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

Error SystemFailure(const std::string& what) {
  return Failure(HRESULT_FROM_WIN32(GetLastError()), what);
}

// What the system knows of a disk file that is neither a folder nor a reparse point.
std::optional<BY_HANDLE_FILE_INFORMATION> PlainFileInfo(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    return std::nullopt;
  }
  return info;
}

// Nothing at `target`, or a plain file with no other name.
Result<Done> Replaceable(const fs::path& target) {
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return Done{};
    return SystemFailure("cannot look at " + target.string());
  }
  Handle existing = Open(target, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (!existing) return SystemFailure("cannot open " + target.string());
  const auto info = PlainFileInfo(existing.get());
  if (!info || info->nNumberOfLinks != 1) {
    return Failure(E_ACCESSDENIED, target.string() + " is no file of one name");
  }
  return Done{};
}

bool WriteAll(HANDLE handle, ByteView data) {
  while (!data.empty()) {
    const DWORD chunk = data.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(data.size());
    DWORD written = 0;
    if (!WriteFile(handle, data.data(), chunk, &written, nullptr) || written == 0) return false;
    data = data.subspan(written);
  }
  return true;
}

}  // namespace

Result<Bytes> ReadRegularFile(const fs::path& path, std::size_t maxSize) {
  Handle file = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (!file) return SystemFailure("cannot open " + path.string());
  LARGE_INTEGER size{};
  if (!PlainFileInfo(file.get()) || !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
      static_cast<std::uint64_t>(size.QuadPart) > maxSize) {
    return Failure(E_ACCESSDENIED, path.string() + " is no regular file of a size to read");
  }
  Bytes data(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < data.size()) {
    const std::size_t left = data.size() - done;
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD got = 0;
    if (!ReadFile(file.get(), data.data() + done, chunk, &got, nullptr) || got == 0) {
      return SystemFailure("cannot read " + path.string());  // or it shrank
    }
    done += got;
  }
  return data;
}

Result<Done> ReplaceFile(const fs::path& path, ByteView data, bool followLinks) {
  const fs::path target = SaveTarget(path, followLinks);
  if (target.filename().empty()) return Failure(E_ACCESSDENIED, "no file name to save to");
  if (const Result<Done> replaceable = Replaceable(target); !replaceable) return replaceable;
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const fs::path temporary = TemporaryBeside(target, random());
    Handle file = Open(temporary, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
    if (!file) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return SystemFailure("cannot make a file beside " + target.string());
    }
    const bool written = WriteAll(file.get(), data) && FlushFileBuffers(file.get());
    Result<Done> replaced = Done{};
    if (!written) replaced = SystemFailure("cannot write " + temporary.string());
    file.reset();
    // Looked at once more just before it is replaced: what appeared there meanwhile is refused.
    if (replaced) replaced = Replaceable(target);
    if (replaced && !MoveFileExW(temporary.c_str(), target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      replaced = SystemFailure("cannot move to " + target.string());
    }
    if (!replaced) DeleteFileW(temporary.c_str());
    return replaced;
  }
  return Failure(E_FAIL, "no free temporary name beside " + target.string());
}

bool EnsurePrivateFolder(const fs::path& folder) {
  // Folders under the user's profile (where the temporary path is) are the user's alone.
  if (CreateDirectoryW(folder.c_str(), nullptr)) return true;
  if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

bool WritePrivateFile(const fs::path& path, ByteView data) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return false;
  }
  Handle file = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY);
  return file && WriteAll(file.get(), data) && CloseHandle(file.release());
}

bool RemoveFile(const fs::path& path) { return DeleteFileW(path.c_str()) != 0; }

fs::path UserTemporaryFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) return fs::path(L"C:\\Windows\\Temp");
  return fs::path(std::wstring(buffer, length));
}

}  // namespace velsor::file
