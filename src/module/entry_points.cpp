// The functions COM and registration tools look up in the module by name. With
// mem_compress and mem_uncompress they are all it exports.

#include "control/ombrel_tolvane_velsor.h"
#include "module/class_factory.h"
#include "module/module_state.h"
#include "module/registration.h"

using velsor::HRESULT;

extern "C" {

__attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
  return velsor::module::ModuleLockCount() == 0 ? velsor::S_OK : velsor::S_FALSE;
}

__attribute__((visibility("default"))) HRESULT DllGetClassObject(velsor::REFCLSID clsid,
                                                                 velsor::REFIID riid,
                                                                 void** object) {
  if (object == nullptr) return velsor::E_POINTER;
  *object = nullptr;
  if (clsid != velsor::CLSID_OmbrelTolvaneVelsor20_64) return velsor::CLASS_E_CLASSNOTAVAILABLE;
  velsor::IClassFactory* factory = nullptr;
  try {
    factory = velsor::module::ControlClassFactory::Create();
  } catch (const std::bad_alloc&) {
    return velsor::E_OUTOFMEMORY;
  }
  const HRESULT hr = factory->QueryInterface(riid, object);
  factory->Release();
  return hr;
}

__attribute__((visibility("default"))) HRESULT DllRegisterServer() {
  return velsor::module::RegisterModule(velsor::module::ModulePath());
}

__attribute__((visibility("default"))) HRESULT DllUnregisterServer() {
  return velsor::module::UnregisterModule(velsor::module::ModulePath());
}

}  // extern "C"
