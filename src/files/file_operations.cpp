#include "files/file_operations.h"

#include <limits>
#include <utility>

#include "platform/codepage/utf.h"
#include "platform/file/file_service.h"

namespace velsor::files {
namespace {

// Files the page names or the user picks are held whole, up to what a length field holds.
constexpr std::size_t kMaxFileSize = std::numeric_limits<std::int32_t>::max() - 1;

ReadResult ReadPath(const std::filesystem::path& path) {
  const std::string full = path.string();
  const std::size_t slash = full.find_last_of(file::kPathSeparators);
  if (slash == std::string::npos) return {};
  auto data = file::ReadRegularFile(path, kMaxFileSize);
  if (!data) return {};
  return {kFileOk, codepage::Utf8ToUtf16(std::string_view(full).substr(slash + 1)),
          std::move(*data)};
}

std::int32_t WritePath(const std::filesystem::path& path, ByteView data, bool followLinks) {
  return file::ReplaceFile(path, data, followLinks) ? kFileOk : kFileFailed;
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
