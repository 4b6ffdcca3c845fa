#include "files/file_operations.h"

#include <limits>
#include <utility>

#include "platform/codepage/utf.h"
#include "platform/file/file_service.h"

namespace velsor::files {
namespace {

// Files the page names or the user picks are held whole, up to what a length field holds.
constexpr std::size_t kMaxFileSize = std::numeric_limits<std::int32_t>::max() - 1;

Error Cancelled() { return Failure(status::kUserCancelled, "the dialog was cancelled"); }

Result<FileContents> ReadPath(const std::filesystem::path& path) {
  const std::string full = path.string();
  const std::size_t slash = full.find_last_of(file::kPathSeparators);
  if (slash == std::string::npos) return Failure(status::kFailed, "not a full path: " + full);
  auto data = file::ReadRegularFile(path, kMaxFileSize);
  if (!data) return Failure(status::kFailed, data.error().detail);
  return FileContents{codepage::Utf8ToUtf16(std::string_view(full).substr(slash + 1)),
                      std::move(*data)};
}

Result<Done> WritePath(const std::filesystem::path& path, ByteView data, bool followLinks) {
  if (Result<Done> replaced = file::ReplaceFile(path, data, followLinks); !replaced) {
    return Failure(status::kFailed, replaced.error().detail);
  }
  return Done{};
}

Result<Done> Save(ui::DialogHost& host, ui::FileDialogRequest request, ByteView data,
                  const std::optional<std::filesystem::path>& path) {
  if (path) return WritePath(*path, data, false);
  request.confirmOverwrite = true;
  const ui::FileDialogResult chosen = host.SaveFile(request);
  if (chosen.outcome == ui::DialogOutcome::Cancelled) return Cancelled();
  if (chosen.outcome != ui::DialogOutcome::Done) return Failure(status::kFailed, "no save dialog");
  return WritePath(chosen.path, data, true);
}

}  // namespace

Result<FileContents> ReadFileByDialog(ui::DialogHost& host, std::u16string_view title,
                                      std::u16string_view filter,
                                      std::optional<std::u16string_view> path) {
  if (path) return ReadPath(std::filesystem::path(codepage::Utf16ToUtf8(*path)));
  const ui::FileDialogResult chosen =
      host.OpenFile({.title = std::u16string(title), .filter = std::u16string(filter)});
  if (chosen.outcome == ui::DialogOutcome::Cancelled) return Cancelled();
  if (chosen.outcome != ui::DialogOutcome::Done) return Failure(status::kFailed, "no open dialog");
  return ReadPath(chosen.path);
}

Result<Done> SaveFileByDialog(ui::DialogHost& host, std::u16string_view title,
                              std::u16string_view filter, std::u16string_view proposedName,
                              ByteView data, std::optional<std::filesystem::path> path) {
  return Save(host,
              {.title = std::u16string(title),
               .filter = std::u16string(filter),
               .proposedName = std::u16string(proposedName)},
              data, path);
}

Result<Done> SaveFileByDialogExt(ui::DialogHost& host, std::u16string_view title,
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
