#pragma once
// What the module keeps for as long as it is loaded: the count of live objects and locks
// that decides whether it may be unloaded, and where it was loaded from.

#include <filesystem>

namespace velsor::module {

void LockModule();
void UnlockModule();
long ModuleLockCount();

// The module file's full path.
std::filesystem::path ModulePath();

}  // namespace velsor::module
