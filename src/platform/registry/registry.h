#pragma once
// The registry: keys named by backslash-separated paths under a root, each holding named
// string values. Names compare without regard to case. HKEY_CLASSES_ROOT is a view of
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes. On POSIX everything lives in registry.db in the
// user's data folder, so several processes may use it at once; on Windows it is the
// system's registry.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/result.h"
#include "platform/base/win_types.h"

namespace velsor::registry {

enum class Root { ClassesRoot, CurrentUser, LocalMachine };

// The system's headers define these on Windows, with the same values.
#ifndef REG_SZ
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
#endif

// A text value, expandable or not; the names above are macros on Windows, so the folders
// above ask here rather than name them.
inline bool IsTextValue(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

#ifndef ERROR_FILE_NOT_FOUND_HR
inline constexpr HRESULT ERROR_FILE_NOT_FOUND_HR = Hr(0x80070002);
#endif

struct RegistryValue {
  DWORD type = REG_SZ;
  std::u16string data;
};

class Registry {
 public:
  // Which keys a registry opened for reading shows: the user's over the machine's (what
  // every program sees), or one of them alone (to tell where a registration stands).
  enum class View { Merged, MachineOnly, UserOnly };

  // The user's registry, created when missing, over the machine's (POSIX: writes go to
  // the machine's only in a machine-wide registration; the views other than Merged are
  // for reading). Windows has one view, the system's.
  static Result<Registry> Open(View view = View::Merged);

  // Whether the registry can be written and read; the database's reason when not.
  Result<Done> CheckWritable();

  // Creates the key and every missing key above it.
  Result<Done> CreateKey(Root root, std::u16string_view path);
  bool KeyExists(Root root, std::u16string_view path);
  // Subkey names directly below the key, in the order they were created.
  Result<std::vector<std::u16string>> SubKeys(Root root, std::u16string_view path);
  // Removes the key, everything below it and their values.
  Result<Done> DeleteTree(Root root, std::u16string_view path);

  // An empty name is the key's default value. Setting creates the key.
  Result<Done> SetValue(Root root, std::u16string_view path, std::u16string_view name,
                        const RegistryValue& value);
  // ERROR_FILE_NOT_FOUND_HR when the key or the value does not exist.
  Result<RegistryValue> QueryValue(Root root, std::u16string_view path, std::u16string_view name);
  Result<Done> DeleteValue(Root root, std::u16string_view path, std::u16string_view name);

 private:
  // Where the keys live; each platform defines it.
  struct Store;
  explicit Registry(std::shared_ptr<Store> store) : store_(std::move(store)) {}
  std::shared_ptr<Store> store_;
};

// "HKEY_LOCAL_MACHINE" and the other root names (also "HKLM", "HKCU", "HKCR").
std::optional<Root> RootNamed(std::u16string_view name);

}  // namespace velsor::registry
