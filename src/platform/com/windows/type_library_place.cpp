// The type library is the module's TYPELIB resource 1; LoadTypeLibEx registers it (the
// TypeLib key and the interfaces' keys) and UnRegisterTypeLib removes those keys.

#include "platform/com/type_library_place.h"

#include <windows.h>
#include <oleauto.h>

#include <cstring>

namespace velsor {

Result<std::optional<std::filesystem::path>> PlaceTypeLibrary(const std::filesystem::path& module,
                                                              const GUID& libid,
                                                              std::string_view,
                                                              bool registering) {
  if (registering) {
    ITypeLib* library = nullptr;
    const HRESULT loaded = LoadTypeLibEx(module.c_str(), REGKIND_REGISTER, &library);
    if (FAILED(loaded)) return Failure(loaded, "the module's type library does not register");
    library->Release();
    return std::optional<std::filesystem::path>();
  }
  ::GUID system{};
  static_assert(sizeof system == sizeof libid);
  std::memcpy(&system, &libid, sizeof system);
  const HRESULT removed = UnRegisterTypeLib(system, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
  // A library that was never registered is already gone.
  if (FAILED(removed) && removed != TYPE_E_REGISTRYACCESS && removed != TYPE_E_LIBNOTREGISTERED) {
    return Failure(removed, "the type library does not unregister");
  }
  return std::optional<std::filesystem::path>();
}

}  // namespace velsor
