#pragma once
// Where a COM server's type library lives and how the system learns of it. On POSIX the
// library is its description, written among the user's data for the registry to name. On
// Windows it is compiled into the module as a resource, and the system's own registration
// writes the keys that name it.

#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/base/result.h"
#include "platform/com/guid.h"

namespace velsor {

// Registering: places the library; the path of the description when the caller's
// registry script is to name it, nothing when the system has registered it already.
// Unregistering: removes what registering placed.
Result<std::optional<std::filesystem::path>> PlaceTypeLibrary(
    const std::filesystem::path& module, const GUID& libid, std::string_view description,
    bool registering);

}  // namespace velsor
