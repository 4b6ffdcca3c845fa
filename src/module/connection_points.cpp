#include "module/connection_points.h"

#include "control/ombrel_tolvane_velsor.h"

namespace velsor::module {

HRESULT SinkPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

HRESULT SinkPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (container == nullptr) return E_POINTER;
  *container = &container_;
  container_.AddRef();
  return S_OK;
}

HRESULT SinkPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (sink == nullptr || cookie == nullptr) return E_POINTER;
  *cookie = 0;
  ComPtr<IUnknown> interfaceSink;
  if (sink->QueryInterface(iid_, reinterpret_cast<void**>(interfaceSink.Receive())) != S_OK) {
    return CONNECT_E_CANNOTCONNECT;
  }
  *cookie = nextCookie_++;
  sinks_.emplace(*cookie, std::move(interfaceSink));
  return S_OK;
}

HRESULT SinkPoint::Unadvise(DWORD cookie) {
  return sinks_.erase(cookie) == 1 ? S_OK : CONNECT_E_NOCONNECTION;
}

// Hosts of this control find their sinks by cookie; no enumeration is offered.
HRESULT SinkPoint::EnumConnections(IEnumConnections** connections) {
  if (connections != nullptr) *connections = nullptr;
  return E_NOTIMPL;
}

ConnectionPoints::ConnectionPoints(IUnknown& controlling)
    : DelegatingPart(controlling),
      propertyNotify_(controlling, *this, IID_IPropertyNotifySink),
      events_(controlling, *this, DIID__IOmbrelTolvaneVelsorEvents20_64) {}

HRESULT ConnectionPoints::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points != nullptr) *points = nullptr;
  return E_NOTIMPL;
}

HRESULT ConnectionPoints::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  if (point == nullptr) return E_POINTER;
  *point = nullptr;
  SinkPoint* found = iid == propertyNotify_.iid() ? &propertyNotify_
                     : iid == events_.iid()       ? &events_
                                                  : nullptr;
  if (found == nullptr) return CONNECT_E_NOCONNECTION;
  *point = found;
  found->AddRef();
  return S_OK;
}

}  // namespace velsor::module
