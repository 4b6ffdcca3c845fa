#pragma once
// The object's connection points: one for IPropertyNotifySink and one for its default
// event interface, where hosts advise their sinks. The control changes no property on its
// own and its event interface has no members, so neither point has anything to send.

#include <map>

#include "module/delegating_part.h"
#include "platform/com/com_ptr.h"
#include "platform/com/connection_points.h"

namespace velsor::module {

class SinkPoint final : public DelegatingPart<IConnectionPoint> {
 public:
  SinkPoint(IUnknown& controlling, IConnectionPointContainer& container, const IID& iid)
      : DelegatingPart(controlling), container_(container), iid_(iid) {}
  HRESULT GetConnectionInterface(IID* iid) override;
  HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
  // CONNECT_E_CANNOTCONNECT when the sink does not answer for the point's interface.
  HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT Unadvise(DWORD cookie) override;
  HRESULT EnumConnections(IEnumConnections** connections) override;

  const IID& iid() const { return iid_; }

 private:
  IConnectionPointContainer& container_;
  IID iid_;
  std::map<DWORD, ComPtr<IUnknown>> sinks_;
  DWORD nextCookie_ = 1;
};

class ConnectionPoints final : public DelegatingPart<IConnectionPointContainer> {
 public:
  explicit ConnectionPoints(IUnknown& controlling);
  HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override;
  HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

  SinkPoint& propertyNotify() { return propertyNotify_; }
  SinkPoint& events() { return events_; }

 private:
  SinkPoint propertyNotify_;
  SinkPoint events_;
};

}  // namespace velsor::module
