#include "platform/com/activation.h"

#include <dlfcn.h>

#include "platform/codepage/utf.h"
#include "platform/registry/registry.h"

namespace velsor {
namespace {

using GetClassObject = HRESULT (*)(REFCLSID, REFIID, void**);

}  // namespace

Result<ModuleHandle> LoadModule(const std::string& path) {
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = ::dlerror();
    return Failure(CO_E_DLLNOTFOUND, why != nullptr ? why : path);
  }
  return ModuleHandle(handle, [](void* loaded) { ::dlclose(loaded); });
}

void* ModuleFunction(const ModuleHandle& module, const char* name) {
  return ::dlsym(module.get(), name);
}

Result<ActivatedObject> CreateDispatchObject(std::u16string_view progId) {
  auto registry = registry::Registry::Open();
  if (!registry) return registry.error();
  const auto clsidText =
      registry->QueryValue(registry::Root::ClassesRoot, std::u16string(progId) + u"\\CLSID", u"");
  const auto clsid = clsidText ? ParseGuid(codepage::Utf16ToUtf8(clsidText->data)) : std::nullopt;
  if (!clsid) return Failure(CO_E_CLASSSTRING, "no class is registered under that ProgID");
  const auto server = registry->QueryValue(registry::Root::ClassesRoot,
                                           u"CLSID\\" + clsidText->data + u"\\InprocServer32", u"");
  if (!server) return Failure(REGDB_E_CLASSNOTREG, "the class has no in-process server");

  auto module = LoadModule(codepage::Utf16ToUtf8(server->data));
  if (!module) return module.error();
  auto getClassObject =
      reinterpret_cast<GetClassObject>(ModuleFunction(*module, "DllGetClassObject"));
  if (getClassObject == nullptr) return Failure(CO_E_ERRORINDLL, "no DllGetClassObject");
  ComPtr<IClassFactory> factory;
  HRESULT hr =
      getClassObject(*clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Receive()));
  if (hr != S_OK) return Failure(hr, "no class factory");
  ActivatedObject activated{*module};
  hr = factory->CreateInstance(nullptr, IID_IDispatch,
                               reinterpret_cast<void**>(activated.object.Receive()));
  if (hr != S_OK) return Failure(hr, "the class factory made no object");
  return activated;
}

}  // namespace velsor
