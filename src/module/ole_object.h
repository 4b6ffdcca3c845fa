#pragma once
// The object as its container embeds it: its site, verbs, extent, status and advise sinks.

#include "module/control_site.h"
#include "module/delegating_part.h"

namespace velsor::module {

class OleObject final : public DelegatingPart<IOleObject> {
 public:
  OleObject(IUnknown& controlling, ControlSite& site) : DelegatingPart(controlling), site_(site) {}
  HRESULT SetClientSite(IOleClientSite* site) override;
  HRESULT GetClientSite(IOleClientSite** site) override;
  HRESULT SetHostNames(LPCOLESTR containerApp, LPCOLESTR containerObject) override;
  HRESULT Close(DWORD saveOption) override;
  HRESULT SetMoniker(DWORD which, IUnknown* moniker) override;
  HRESULT GetMoniker(DWORD assign, DWORD which, IUnknown** moniker) override;
  HRESULT InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  HRESULT GetClipboardData(DWORD reserved, IDataObject** data) override;
  HRESULT DoVerb(LONG verb, MSG* message, IOleClientSite* activeSite, LONG index, HWND parent,
                 LPCRECT position) override;
  HRESULT EnumVerbs(IEnumOLEVERB** verbs) override;
  HRESULT Update() override;
  HRESULT IsUpToDate() override;
  HRESULT GetUserClassID(CLSID* clsid) override;
  HRESULT GetUserType(DWORD form, LPOLESTR* userType) override;
  HRESULT SetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT GetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT Advise(IAdviseSink* sink, DWORD* connection) override;
  HRESULT Unadvise(DWORD connection) override;
  HRESULT EnumAdvise(IEnumSTATDATA** advises) override;
  HRESULT GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT SetColorScheme(LOGPALETTE* palette) override;

 private:
  ControlSite& site_;
};

// The extent for the content aspect; DV_E_DVASPECT for any other, E_POINTER without a size.
HRESULT ContentExtent(ControlSite& site, DWORD aspect, SIZEL* size);

}  // namespace velsor::module
