// Through the system's COM: the ProgID's class made in this thread's apartment, which the
// caller has entered (CoInitializeEx). The system keeps the module loaded while the object
// lives, so no handle of ours holds it.

#include "platform/com/activation.h"

#include <windows.h>
#include <objbase.h>

#include <string>

namespace velsor {

Result<ModuleHandle> LoadModule(const std::string& path) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) return Failure(CO_E_DLLNOTFOUND, "cannot load " + path);
  return ModuleHandle(module, [](void* loaded) { FreeLibrary(static_cast<HMODULE>(loaded)); });
}

void* ModuleFunction(const ModuleHandle& module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module.get()), name));
}

Result<ActivatedObject> CreateDispatchObject(std::u16string_view progId) {
  const std::wstring name(progId.begin(), progId.end());
  ::CLSID clsid{};
  if (FAILED(CLSIDFromProgID(name.c_str(), &clsid))) {
    return Failure(CO_E_CLASSSTRING, "no class is registered under that ProgID");
  }
  ::IDispatch* object = nullptr;
  const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, ::IID_IDispatch,
                                      reinterpret_cast<void**>(&object));
  if (FAILED(hr)) return Failure(hr, "the class made no object");
  // The system's object, used through our declaration of the same interface.
  return ActivatedObject{ModuleHandle(),
                         ComPtr<IDispatch>::Adopt(reinterpret_cast<IDispatch*>(object))};
}

}  // namespace velsor
