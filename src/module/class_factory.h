#pragma once
// Makes control objects for COM's activation, aggregated only when the caller asks for
// the new object's IUnknown.

#include <memory>

#include "platform/com/class_factory.h"

namespace velsor::module {

class ControlClassFactory final : public IClassFactory {
 public:
  // A new factory with one reference.
  static IClassFactory* Create();

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT LockServer(BOOL lock) override;

 private:
  ControlClassFactory() = default;
  ~ControlClassFactory() = default;
  friend struct std::default_delete<ControlClassFactory>;

  ULONG references_ = 1;
};

}  // namespace velsor::module
