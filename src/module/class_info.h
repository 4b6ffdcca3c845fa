#pragma once
// The class's description in the registered type library, and which outgoing interface
// the class fires events on.

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
