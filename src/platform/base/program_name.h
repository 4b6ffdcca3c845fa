#pragma once
// The name of the program this process runs, without its folder, for lines that tell the
// user which program asks.

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

namespace velsor {

// UTF-8 on POSIX as the system gives it; UTF-16 units widened on Windows.
inline std::u16string RunningProgramName() {
#ifdef _WIN32
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring_view name(path, length);
  if (const auto slash = name.find_last_of(L"\\/"); slash != std::wstring_view::npos) {
    name.remove_prefix(slash + 1);
  }
  return std::u16string(name.begin(), name.end());
#else
  const std::string name = program_invocation_short_name;
  return std::u16string(name.begin(), name.end());
#endif
}

}  // namespace velsor
