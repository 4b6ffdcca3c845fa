#include "platform/com/module_path.h"

#include <vector>

#include "this_module.h"

namespace velsor {

std::filesystem::path ThisModulePath() {
  HMODULE module = ThisModuleHandle();
  if (module == nullptr) return {};
  // Long paths need more than MAX_PATH; the buffer grows until the name fits.
  std::vector<wchar_t> name(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) return std::filesystem::path(std::wstring(name.data(), length));
    if (name.size() >= 32768) return {};
    name.resize(name.size() * 2);
  }
}

}  // namespace velsor
