#pragma once
// Reading a whole file that the page names or the user picks, and saving bytes where the
// caller says or the user chooses. Contents are raw bytes; nothing is converted.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/bytes.h"
#include "platform/base/result.h"
#include "platform/base/status_codes.h"
#include "platform/ui/dialog_host.h"

namespace velsor::files {

// Failures carry status::kUserCancelled for a dialog the user cancelled and
// status::kFailed for anything else.

struct FileContents {
  std::u16string name;  // the text after the path's last '/'
  Bytes data;
};

// With a path the file is read without a dialog; a path without '/' fails. Without one
// the open dialog asks the user. Anything but a regular file (a directory, a FIFO, a
// device) fails at once, as do an empty file and one too large for a 32-bit length.
Result<FileContents> ReadFileByDialog(ui::DialogHost& host, std::u16string_view title,
                                      std::u16string_view filter,
                                      std::optional<std::u16string_view> path = std::nullopt);

// With a path the data replaces that file without a dialog (a link there is not
// followed); without one the save dialog proposes `proposedName` and confirms
// overwriting. The data is written beside the target and takes its name only when whole,
// so a failed save leaves an earlier file as it was. A FIFO, a device or a file with
// another hard link at the target is refused.
Result<Done> SaveFileByDialog(ui::DialogHost& host, std::u16string_view title,
                              std::u16string_view filter, std::u16string_view proposedName,
                              ByteView data,
                              std::optional<std::filesystem::path> path = std::nullopt);

// As SaveFileByDialog with no proposed name, the dialog adding `defaultExtension` to a
// name typed without one.
Result<Done> SaveFileByDialogExt(ui::DialogHost& host, std::u16string_view title,
                                 std::u16string_view filter, std::u16string_view defaultExtension,
                                 ByteView data,
                                 std::optional<std::filesystem::path> path = std::nullopt);

// A name that can only mean a file inside the folder it is saved to: not empty, not "."
// or "..", no '/', '\\' or zero character.
bool IsPlainFileName(std::u16string_view name);

}  // namespace velsor::files
