// On POSIX the type library is a description in the interface definition language,
// registered beside the module for people and tools; no type information object is made
// from it yet.

#include "platform/com/type_info.h"

namespace velsor {

Result<ComPtr<ITypeInfo>> RegisteredTypeInfo(const GUID&, WORD, WORD, const GUID&) {
  return Failure(E_NOTIMPL, "type information objects are not made on this platform");
}

}  // namespace velsor
