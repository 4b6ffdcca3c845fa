#pragma once
// What registering the module writes: the class with its ProgIDs, its server and settings,
// and the type library with the interfaces it describes.

#include <filesystem>

#include "platform/base/win_types.h"

namespace velsor::module {

// Writes (or removes) both scripts' keys for the module at `modulePath`. S_OK, or the
// failure of the registry.
HRESULT RegisterModule(const std::filesystem::path& modulePath);
HRESULT UnregisterModule(const std::filesystem::path& modulePath);

}  // namespace velsor::module
