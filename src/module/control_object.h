#pragma once
// The control as the module serves it: the scripting part together with object safety,
// and able to be aggregated by an outer object, to which every interface but the inner
// IUnknown then delegates.

#include <memory>

#include "control/tolvane_velsor.h"
#include "platform/com/class_factory.h"

namespace velsor::module {

class ControlObject final : public IUnknown {
 public:
  // The new object's own IUnknown with one reference. With `outer` the object is part of
  // that object.
  static IUnknown* Create(IUnknown* outer);

  // The non-delegating IUnknown.
  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

 private:
  explicit ControlObject(IUnknown* outer);
  ~ControlObject();
  friend struct std::default_delete<ControlObject>;

  IUnknown& Controlling() { return outer_ != nullptr ? *outer_ : *this; }

  class Safety final : public IObjectSafety {
   public:
    explicit Safety(ControlObject& owner) : owner_(owner) {}
    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) override;
    HRESULT SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) override;

   private:
    ControlObject& owner_;
    DWORD enabled_ = 0;
  };

  IUnknown* outer_;
  ULONG references_ = 1;
  std::unique_ptr<CTolvaneVelsor> control_;
  Safety safety_{*this};
};

}  // namespace velsor::module
