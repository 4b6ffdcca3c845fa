// The registry on the system's own: advapi32. Registration writes under HKEY_CLASSES_ROOT
// (which Windows maps onto the machine's classes), the control's settings go under
// HKEY_CURRENT_USER.

#include "platform/registry/registry.h"

#include <windows.h>

#include <memory>
#include <string>

namespace velsor::registry {
namespace {

struct CloseKey {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using KeyHandle = std::unique_ptr<std::remove_pointer_t<HKEY>, CloseKey>;

HKEY RootKey(Root root) {
  switch (root) {
    case Root::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case Root::CurrentUser:
      return HKEY_CURRENT_USER;
    case Root::LocalMachine:
      break;
  }
  return HKEY_LOCAL_MACHINE;
}

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

Error Failed(LSTATUS status, const char* what) {
  return Failure(Hr(0x80070000u | (static_cast<std::uint32_t>(status) & 0xFFFFu)), what);
}

Result<KeyHandle> OpenKey(Root root, std::u16string_view path, REGSAM access) {
  HKEY key = nullptr;
  const LSTATUS status = RegOpenKeyExW(RootKey(root), Wide(path).c_str(), 0, access, &key);
  if (status != ERROR_SUCCESS) return Failed(status, "the key cannot be opened");
  return KeyHandle(key);
}

Result<KeyHandle> CreateOrOpen(Root root, std::u16string_view path) {
  HKEY key = nullptr;
  const LSTATUS status =
      RegCreateKeyExW(RootKey(root), Wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return Failed(status, "the key cannot be created");
  return KeyHandle(key);
}

}  // namespace

// The system's registry needs nothing of ours.
struct Registry::Store {};

Result<Registry> Registry::Open(View) { return Registry(std::make_shared<Store>()); }

Result<Done> Registry::CheckWritable() {
  auto classes = OpenKey(Root::ClassesRoot, u"CLSID", KEY_CREATE_SUB_KEY);
  if (!classes) return classes.error();
  return Done{};
}

Result<Done> Registry::CreateKey(Root root, std::u16string_view path) {
  auto key = CreateOrOpen(root, path);
  if (!key) return key.error();
  return Done{};
}

bool Registry::KeyExists(Root root, std::u16string_view path) {
  return static_cast<bool>(OpenKey(root, path, KEY_READ));
}

Result<std::vector<std::u16string>> Registry::SubKeys(Root root, std::u16string_view path) {
  auto key = OpenKey(root, path, KEY_READ);
  if (!key) return key.error();
  std::vector<std::u16string> names;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];  // key names hold at most 255 characters
    DWORD length = 256;
    const LSTATUS status =
        RegEnumKeyExW(key->get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) return Failed(status, "the subkeys cannot be read");
    names.emplace_back(name, name + length);
  }
  return names;
}

Result<Done> Registry::DeleteTree(Root root, std::u16string_view path) {
  if (!KeyExists(root, path)) return Failure(ERROR_FILE_NOT_FOUND_HR, "no such key");
  const LSTATUS status = RegDeleteTreeW(RootKey(root), Wide(path).c_str());
  if (status != ERROR_SUCCESS) return Failed(status, "the key cannot be deleted");
  // RegDeleteTree empties the key; a key that is still there goes too.
  const LSTATUS removed = RegDeleteKeyW(RootKey(root), Wide(path).c_str());
  if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND) {
    return Failed(removed, "the key cannot be deleted");
  }
  return Done{};
}

Result<Done> Registry::SetValue(Root root, std::u16string_view path, std::u16string_view name,
                                const RegistryValue& value) {
  auto key = CreateOrOpen(root, path);
  if (!key) return key.error();
  const std::wstring data = Wide(value.data);
  const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  const LSTATUS status = RegSetValueExW(key->get(), Wide(name).c_str(), 0, value.type,
                                        reinterpret_cast<const BYTE*>(data.c_str()), bytes);
  if (status != ERROR_SUCCESS) return Failed(status, "the value cannot be written");
  return Done{};
}

Result<RegistryValue> Registry::QueryValue(Root root, std::u16string_view path,
                                           std::u16string_view name) {
  auto key = OpenKey(root, path, KEY_QUERY_VALUE);
  if (!key) return Failure(ERROR_FILE_NOT_FOUND_HR, "no such key");
  const std::wstring valueName = Wide(name);
  DWORD type = 0;
  DWORD size = 0;
  LSTATUS status = RegQueryValueExW(key->get(), valueName.c_str(), nullptr, &type, nullptr, &size);
  if (status == ERROR_FILE_NOT_FOUND) return Failure(ERROR_FILE_NOT_FOUND_HR, "no such value");
  if (status != ERROR_SUCCESS) return Failed(status, "the value cannot be read");
  if (type != REG_SZ && type != REG_EXPAND_SZ) {
    return Failure(ERROR_FILE_NOT_FOUND_HR, "the value is not a string");
  }
  std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
  status = RegQueryValueExW(key->get(), valueName.c_str(), nullptr, &type,
                            reinterpret_cast<BYTE*>(data.data()), &size);
  if (status != ERROR_SUCCESS) return Failed(status, "the value cannot be read");
  data.resize(size / sizeof(wchar_t));
  while (!data.empty() && data.back() == L'\0') data.pop_back();
  return RegistryValue{type, std::u16string(data.begin(), data.end())};
}

Result<Done> Registry::DeleteValue(Root root, std::u16string_view path, std::u16string_view name) {
  auto key = OpenKey(root, path, KEY_SET_VALUE);
  if (!key) return Failure(ERROR_FILE_NOT_FOUND_HR, "no such key");
  const LSTATUS status = RegDeleteValueW(key->get(), Wide(name).c_str());
  if (status == ERROR_FILE_NOT_FOUND) return Failure(ERROR_FILE_NOT_FOUND_HR, "no such value");
  if (status != ERROR_SUCCESS) return Failed(status, "the value cannot be deleted");
  return Done{};
}

}  // namespace velsor::registry
