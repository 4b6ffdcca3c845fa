#pragma once
// Where the current user's certificate stores, key containers and registry live:
// $VELSOR_HOME, else $XDG_DATA_HOME/velsor, else ~/.local/share/velsor. The folder is
// the user's alone (0700) and so are its files (0600); a folder that others may write to
// is refused, since whoever can write there can plant keys and trusted roots.

#include <filesystem>

#include "platform/base/result.h"

namespace velsor::storage {

// Stands for the folder in a value written for every user (a machine-wide registration's
// stubPath), replaced with each user's own folder where it is read.
inline constexpr char kUserFolderVariable[] = "%VELSOR_HOME%";

// The folder, created when missing; an error when it cannot be made or is not private.
Result<std::filesystem::path> VelsorHome();

// A data file in the folder, created empty and private when missing, so that nothing
// else ever creates it with a wider mode.
Result<std::filesystem::path> PrivateUserFile(const std::string& name);

}  // namespace velsor::storage
