#pragma once
// Where the module that holds this code was loaded from, as a COM server registers itself.

#include <filesystem>

namespace velsor {

// The full path of the module (shared library or DLL) this function lives in; empty when
// the system cannot say.
std::filesystem::path ThisModulePath();

}  // namespace velsor
