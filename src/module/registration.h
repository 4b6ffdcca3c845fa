#pragma once
// What registering the module writes: the class with its ProgIDs, its server and settings,
// and the type library with the interfaces it describes.

#include <filesystem>
#include <string_view>

#include "platform/com/types.h"

namespace velsor::module {

// The class's registration script; %MODULE%, %STUBPATH%, %CLSID% and %LIBID% are filled in
// when it runs.
std::u16string_view ClassRegistrationScript();
std::u16string_view TypeLibraryRegistrationScript();

// Writes (or removes) both scripts' keys for the module at `modulePath`. S_OK, or the
// failure of the registry.
HRESULT RegisterModule(const std::filesystem::path& modulePath);
HRESULT UnregisterModule(const std::filesystem::path& modulePath);

}  // namespace velsor::module
