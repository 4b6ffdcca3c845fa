#include "module/view_object.h"

#include "module/ole_object.h"

namespace velsor::module {

HRESULT ViewObject::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                         LPCRECTL bounds, LPCRECTL, DrawContinue, ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  // Without bounds only an object active in place knows where it is.
  RECTL area{};
  if (bounds != nullptr) {
    area = *bounds;
  } else if (site_.inPlaceActive()) {
    const RECT& position = site_.position();
    area = {position.left, position.top, position.right, position.bottom};
  } else {
    return E_INVALIDARG;
  }
  const bool drawn =
      DrawOnDeviceContext(dc, [&area](Canvas& canvas) { DrawControl(canvas, area); });
  return drawn ? S_OK : E_INVALIDARG;
}

// The control draws with the device context's own colours: it needs no palette.
HRESULT ViewObject::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
  if (colors == nullptr) return E_POINTER;
  *colors = nullptr;
  return S_FALSE;
}

// Its drawing never changes on its own, so there is no view to hold still.
HRESULT ViewObject::Freeze(DWORD, LONG, void*, DWORD* freeze) {
  if (freeze != nullptr) *freeze = 0;
  return E_NOTIMPL;
}
HRESULT ViewObject::Unfreeze(DWORD) { return E_NOTIMPL; }

HRESULT ViewObject::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  if (sink != nullptr) sink->AddRef();
  site_.viewAdvise() = {aspects, flags, ComPtr<IAdviseSink>::Adopt(sink)};
  return S_OK;
}

HRESULT ViewObject::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  const ViewAdvise& advise = site_.viewAdvise();
  if (aspects != nullptr) *aspects = advise.aspects;
  if (flags != nullptr) *flags = advise.flags;
  if (sink != nullptr) {
    *sink = advise.sink.get();
    if (*sink != nullptr) (*sink)->AddRef();
  }
  return S_OK;
}

HRESULT ViewObject::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, SIZEL* size) {
  return ContentExtent(site_, aspect, size);
}

HRESULT ViewObject::GetRect(DWORD aspect, RECTL* rect) {
  if (rect == nullptr) return E_POINTER;
  SIZEL size{};
  const HRESULT hr = ContentExtent(site_, aspect, &size);
  if (hr != S_OK) return hr;
  *rect = {0, 0, size.cx, size.cy};
  return S_OK;
}

HRESULT ViewObject::GetViewStatus(DWORD* status) {
  if (status == nullptr) return E_POINTER;
  *status = kViewStatus;
  return S_OK;
}

// The control is its whole rectangle.
HRESULT ViewObject::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG,
                                  DWORD* hit) {
  if (bounds == nullptr || hit == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  const bool inside = location.x >= bounds->left && location.x < bounds->right &&
                      location.y >= bounds->top && location.y < bounds->bottom;
  *hit = inside ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

HRESULT ViewObject::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG,
                                 DWORD* hit) {
  if (bounds == nullptr || location == nullptr || hit == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  const bool overlaps = location->left < bounds->right && bounds->left < location->right &&
                        location->top < bounds->bottom && bounds->top < location->bottom;
  *hit = overlaps ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

// Its natural size is the extent it has; it has no size of its own by lines or items.
HRESULT ViewObject::GetNaturalExtent(DWORD aspect, LONG, DVTARGETDEVICE*, HDC,
                                     DVEXTENTINFO* info, SIZEL* size) {
  if (info == nullptr || size == nullptr) return E_POINTER;
  if (info->dwExtentMode != DVEXTENT_CONTENT) return E_NOTIMPL;
  return ContentExtent(site_, aspect, size);
}

}  // namespace velsor::module
