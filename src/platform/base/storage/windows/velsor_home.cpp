// The user's own data folder on Windows: %VELSOR_HOME% when set, else Velsor under the
// user's local application data. The folder inherits the profile's permissions, which
// are the user's alone.

#include "platform/base/storage/velsor_home.h"

#include <windows.h>
#include <shlobj.h>

#include <fstream>

namespace velsor::storage {
namespace fs = std::filesystem;

Result<fs::path> VelsorHome() {
  fs::path home;
  if (const wchar_t* set = _wgetenv(L"VELSOR_HOME"); set != nullptr && *set != L'\0') {
    home = set;
  } else {
    PWSTR local = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local))) {
      CoTaskMemFree(local);
      return Failure(E_FAIL, "the user has no local application data folder");
    }
    home = fs::path(local) / L"Velsor";
    CoTaskMemFree(local);
  }
  if (!home.is_absolute()) return Failure(E_INVALIDARG, "VELSOR_HOME is not an absolute path");
  std::error_code error;
  fs::create_directories(home, error);
  if (error || !fs::is_directory(home)) return Failure(E_FAIL, "cannot make " + home.string());
  return home;
}

Result<fs::path> PrivateUserFile(const std::string& name) {
  auto home = VelsorHome();
  if (!home) return home;
  const fs::path file = *home / name;
  if (!fs::exists(file)) std::ofstream(file, std::ios::binary).flush();
  if (!fs::is_regular_file(file)) return Failure(E_FAIL, "cannot make " + file.string());
  return file;
}

}  // namespace velsor::storage
