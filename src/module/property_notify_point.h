#pragma once
// The object's one connection point, for IPropertyNotifySink, where hosts advise their
// sinks. The control changes no property on its own, so it has nothing to notify.

#include <map>

#include "module/delegating_part.h"
#include "platform/com/com_ptr.h"
#include "platform/com/connection_points.h"

namespace velsor::module {

class PropertyNotifyPoint final : public DelegatingPart<IConnectionPoint> {
 public:
  PropertyNotifyPoint(IUnknown& controlling, IConnectionPointContainer& container)
      : DelegatingPart(controlling), container_(container) {}
  HRESULT GetConnectionInterface(IID* iid) override;
  HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT Unadvise(DWORD cookie) override;
  HRESULT EnumConnections(IEnumConnections** connections) override;

 private:
  IConnectionPointContainer& container_;
  std::map<DWORD, ComPtr<IPropertyNotifySink>> sinks_;
  DWORD nextCookie_ = 1;
};

class ConnectionPoints final : public DelegatingPart<IConnectionPointContainer> {
 public:
  explicit ConnectionPoints(IUnknown& controlling)
      : DelegatingPart(controlling), propertyNotify_(controlling, *this) {}
  HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override;
  HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

  PropertyNotifyPoint& propertyNotify() { return propertyNotify_; }

 private:
  PropertyNotifyPoint propertyNotify_;
};

}  // namespace velsor::module
