#include "platform/com/module_path.h"

#include <windows.h>

#include <vector>

namespace velsor {

std::filesystem::path ThisModulePath() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&ThisModulePath), &module)) {
    return {};
  }
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
