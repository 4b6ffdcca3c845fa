#include "platform/com/module_path.h"

#include <dlfcn.h>

namespace velsor {

std::filesystem::path ThisModulePath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ThisModulePath), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  std::error_code ignored;
  const std::filesystem::path full = std::filesystem::canonical(info.dli_fname, ignored);
  return full.empty() ? std::filesystem::path(info.dli_fname) : full;
}

}  // namespace velsor
