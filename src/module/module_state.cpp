#include "module/module_state.h"

#include <atomic>

#include "platform/com/module_path.h"

namespace velsor::module {
namespace {

// The one piece of state the module shares between its objects: COM asks the module, not
// an object, whether anything still needs it.
std::atomic<long>& Locks() {
  static std::atomic<long> locks{0};
  return locks;
}

}  // namespace

void LockModule() { ++Locks(); }
void UnlockModule() { --Locks(); }
long ModuleLockCount() { return Locks().load(); }

std::filesystem::path ModulePath() { return ThisModulePath(); }

}  // namespace velsor::module
