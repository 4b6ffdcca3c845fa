#pragma once
// The type information a registered type library holds, for the IDispatch and class
// information a host asks an object for.

#include "platform/base/result.h"
#include "platform/com/com_ptr.h"
#include "platform/com/unknown.h"

namespace velsor {

#ifndef TYPE_E_LIBNOTREGISTERED
inline constexpr HRESULT TYPE_E_LIBNOTREGISTERED = Hr(0x8002801D);
#endif

// The system's type information object. The module hands it to hosts and calls none of its
// own methods, so only those of IUnknown are declared.
class ITypeInfo : public IUnknown {
 protected:
  ~ITypeInfo() = default;
};

// The type information of `type` (an interface or a class) in the library registered as
// `libid`, version major.minor: TYPE_E_LIBNOTREGISTERED when no such library is registered,
// TYPE_E_ELEMENTNOTFOUND when it has no such type.
Result<ComPtr<ITypeInfo>> RegisteredTypeInfo(const GUID& libid, WORD major, WORD minor,
                                             const GUID& type);

}  // namespace velsor
