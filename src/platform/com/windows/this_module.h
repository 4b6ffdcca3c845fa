#pragma once
// The module (DLL or program) this code was linked into, as windows and registration need it.

#include <windows.h>

namespace velsor {

inline HMODULE ThisModuleHandle() {
  static const char anchor = 0;  // an address inside this module
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&anchor), &module);
  return module;
}

}  // namespace velsor
