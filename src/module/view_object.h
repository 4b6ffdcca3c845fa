#pragma once
// The control drawn where its container asks, on the device context it passes: its extent,
// its view's status, hit testing and the sink told when the view changes.

#include "module/control_site.h"
#include "module/delegating_part.h"

namespace velsor::module {

class ViewObject final : public DelegatingPart<IViewObjectEx> {
 public:
  ViewObject(IUnknown& controlling, ControlSite& site) : DelegatingPart(controlling), site_(site) {}
  HRESULT Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
               HDC targetDevice, HDC dc, LPCRECTL bounds, LPCRECTL metafileBounds,
               DrawContinue keepDrawing, ULONG_PTR context) override;
  HRESULT GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                      HDC targetDevice, LOGPALETTE** colors) override;
  HRESULT Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
  HRESULT Unfreeze(DWORD freeze) override;
  HRESULT SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  HRESULT GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  HRESULT GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, SIZEL* size) override;
  HRESULT GetRect(DWORD aspect, RECTL* rect) override;
  HRESULT GetViewStatus(DWORD* status) override;
  HRESULT QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG closeHint,
                        DWORD* hit) override;
  HRESULT QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG closeHint,
                       DWORD* hit) override;
  HRESULT GetNaturalExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, HDC targetDevice,
                           DVEXTENTINFO* info, SIZEL* size) override;

 private:
  ControlSite& site_;
};

// It fills its bounds with the brush: nothing behind it shows through.
inline constexpr DWORD kViewStatus = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;

}  // namespace velsor::module
