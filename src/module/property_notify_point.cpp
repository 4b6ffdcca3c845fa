#include "module/property_notify_point.h"

namespace velsor::module {

HRESULT PropertyNotifyPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = IID_IPropertyNotifySink;
  return S_OK;
}

HRESULT PropertyNotifyPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (container == nullptr) return E_POINTER;
  *container = &container_;
  container_.AddRef();
  return S_OK;
}

HRESULT PropertyNotifyPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (sink == nullptr || cookie == nullptr) return E_POINTER;
  *cookie = 0;
  ComPtr<IPropertyNotifySink> notifySink;
  if (sink->QueryInterface(IID_IPropertyNotifySink,
                           reinterpret_cast<void**>(notifySink.Receive())) != S_OK) {
    return CONNECT_E_CANNOTCONNECT;
  }
  *cookie = nextCookie_++;
  sinks_.emplace(*cookie, std::move(notifySink));
  return S_OK;
}

HRESULT PropertyNotifyPoint::Unadvise(DWORD cookie) {
  return sinks_.erase(cookie) == 1 ? S_OK : CONNECT_E_NOCONNECTION;
}

// Hosts of this control find their sinks by cookie; no enumeration is offered.
HRESULT PropertyNotifyPoint::EnumConnections(IEnumConnections** connections) {
  if (connections != nullptr) *connections = nullptr;
  return E_NOTIMPL;
}

HRESULT ConnectionPoints::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points != nullptr) *points = nullptr;
  return E_NOTIMPL;
}

HRESULT ConnectionPoints::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  if (point == nullptr) return E_POINTER;
  *point = nullptr;
  if (iid != IID_IPropertyNotifySink) return CONNECT_E_NOCONNECTION;
  *point = &propertyNotify_;
  propertyNotify_.AddRef();
  return S_OK;
}

}  // namespace velsor::module
