// Through the system's registration of the library: LoadRegTypeLib reads its TypeLib key.
// The description is what the registered library holds already.

#include "platform/com/type_info.h"

#include <windows.h>
#include <oleauto.h>

#include <cstring>

namespace velsor {
namespace {

::GUID SystemGuid(const GUID& guid) {
  ::GUID system{};
  static_assert(sizeof system == sizeof guid);
  std::memcpy(&system, &guid, sizeof system);
  return system;
}

}  // namespace

Result<ComPtr<ITypeInfo>> RegisteredTypeInfo(const GUID& libid, WORD major, WORD minor,
                                             const GUID& type,
                                             const std::function<TypeDescription()>&) {
  ::ITypeLib* library = nullptr;
  HRESULT hr = LoadRegTypeLib(SystemGuid(libid), major, minor, LOCALE_NEUTRAL, &library);
  if (FAILED(hr)) return Failure(hr, "the type library is not registered");
  ::ITypeInfo* info = nullptr;
  hr = library->GetTypeInfoOfGuid(SystemGuid(type), &info);
  library->Release();
  if (FAILED(hr)) return Failure(hr, "the type library does not describe the type");
  // The system's object, handed on through our declaration of the same interface.
  return ComPtr<ITypeInfo>::Adopt(reinterpret_cast<ITypeInfo*>(info));
}

}  // namespace velsor
