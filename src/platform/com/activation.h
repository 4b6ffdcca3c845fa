#pragma once
// Creating an object from its ProgID as COM does: the ProgID's CLSID, that class's
// InprocServer32 module, loaded and asked for its class factory.

#include <memory>
#include <string_view>

#include "platform/base/result.h"
#include "platform/com/class_factory.h"
#include "platform/com/com_ptr.h"

namespace velsor {

#ifndef CO_E_CLASSSTRING
inline constexpr HRESULT CO_E_CLASSSTRING = Hr(0x800401F3);
#endif
#ifndef CO_E_DLLNOTFOUND
inline constexpr HRESULT CO_E_DLLNOTFOUND = Hr(0x8004016F);
#endif
#ifndef CO_E_ERRORINDLL
inline constexpr HRESULT CO_E_ERRORINDLL = Hr(0x800401F9);
#endif

// A loaded module; it stays loaded while any copy of this handle lives.
using ModuleHandle = std::shared_ptr<void>;

struct ActivatedObject {
  ModuleHandle module;         // destroyed last
  ComPtr<IDispatch> object{};  // released before the module can go
};

// CO_E_CLASSSTRING for an unknown ProgID, REGDB_E_CLASSNOTREG for a class without a
// server, CO_E_DLLNOTFOUND when the module cannot be loaded, CO_E_ERRORINDLL when it has
// no DllGetClassObject; otherwise the factory's answer.
Result<ActivatedObject> CreateDispatchObject(std::u16string_view progId);

// Loads a module and looks up one of its exported functions.
Result<ModuleHandle> LoadModule(const std::string& path);
void* ModuleFunction(const ModuleHandle& module, const char* name);

}  // namespace velsor
