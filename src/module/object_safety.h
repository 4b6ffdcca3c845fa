#pragma once
// Safe for scripting and for initialisation: both options supported on every interface the
// object has, none enabled until a host enables them.

#include "module/delegating_part.h"
#include "platform/com/class_factory.h"

namespace velsor::module {

class ObjectSafety final : public DelegatingPart<IObjectSafety> {
 public:
  using DelegatingPart::DelegatingPart;
  HRESULT GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) override;
  HRESULT SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) override;

 private:
  bool Exposes(REFIID riid, HRESULT& failure) const;
  DWORD enabled_ = 0;
};

}  // namespace velsor::module
