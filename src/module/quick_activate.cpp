#include "module/quick_activate.h"

#include "module/ole_object.h"
#include "module/view_object.h"

namespace velsor::module {

// A container of an older description passes a shorter record; the fields it has are
// read, and the control's record must be the size it fills.
HRESULT QuickActivation::QuickActivate(QACONTAINER* container, QACONTROL* control) {
  if (container == nullptr || control == nullptr) return E_POINTER;
  if (control->cbSize < sizeof(QACONTROL) ||
      container->cbSize < offsetof(QACONTAINER, pUnkEventSink) + sizeof(IUnknown*)) {
    return E_INVALIDARG;
  }
  *control = QACONTROL{sizeof(QACONTROL), kMiscStatus, kViewStatus, 0, 0, 0};
  site_.SetClientSite(container->pClientSite);
  if (container->pAdviseSink != nullptr) {
    container->pAdviseSink->AddRef();
    site_.viewAdvise() = {DVASPECT_CONTENT, 0,
                          ComPtr<IAdviseSink>::Adopt(container->pAdviseSink)};
  }
  if (container->pPropertyNotifySink != nullptr) {
    points_.propertyNotify().Advise(container->pPropertyNotifySink, &control->dwPropNotifyCookie);
  }
  if (container->pUnkEventSink != nullptr) {
    points_.events().Advise(container->pUnkEventSink, &control->dwEventCookie);
  }
  return S_OK;
}

HRESULT QuickActivation::SetContentExtent(SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  return site_.SetExtent(*size);
}

HRESULT QuickActivation::GetContentExtent(SIZEL* size) {
  return ContentExtent(site_, DVASPECT_CONTENT, size);
}

}  // namespace velsor::module
