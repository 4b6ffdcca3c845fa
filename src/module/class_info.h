#pragma once
// Which outgoing interface the class fires events on. The class information itself, as a
// type-information object, is not offered on this platform: the type library is a
// description registered beside the module (see type_library.h).

#include "module/delegating_part.h"
#include "platform/com/connection_points.h"

namespace velsor::module {

class ClassInfo final : public DelegatingPart<IProvideClassInfo2> {
 public:
  using DelegatingPart::DelegatingPart;
  HRESULT GetClassInfo(ITypeInfo** typeInfo) override;
  HRESULT GetGUID(DWORD kind, GUID* guid) override;
};

}  // namespace velsor::module
