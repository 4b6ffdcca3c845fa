#include "module/module_state.h"

#include <dlfcn.h>

#include <atomic>

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

std::filesystem::path ModulePath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ModulePath), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  std::error_code ignored;
  const std::filesystem::path full = std::filesystem::canonical(info.dli_fname, ignored);
  return full.empty() ? std::filesystem::path(info.dli_fname) : full;
}

}  // namespace velsor::module
