#include "module/control_site.h"

namespace velsor::module {
namespace {

constexpr DWORD kAdviseOnlyOnce = 4;  // ADVF_ONLYONCE

template <class Interface>
ComPtr<Interface> Ask(IUnknown* object, const IID& iid) {
  ComPtr<Interface> found;
  if (object->QueryInterface(iid, reinterpret_cast<void**>(found.Receive())) != S_OK) return {};
  return found;
}

}  // namespace

void DrawControl(Canvas& canvas, const RECTL& bounds) {
  canvas.Rectangle(bounds);
  canvas.SetTextAlign(TA_CENTER | TA_BASELINE);
  canvas.WriteText((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2,
                   u"Welcome to Ombrel TolvaneVelsor20_64");
}

ControlSite::~ControlSite() = default;

void ControlSite::SetClientSite(IOleClientSite* site) {
  if (site != nullptr) site->AddRef();
  clientSite_ = ComPtr<IOleClientSite>::Adopt(site);
}

HRESULT ControlSite::Activate(IOleClientSite* activeSite, bool uiActive) {
  if (!inPlaceSite_) {
    IOleClientSite* site = activeSite != nullptr ? activeSite : clientSite_.get();
    if (site == nullptr) return E_UNEXPECTED;
    // A windowless site is an in-place site too; this control always makes its window.
    ComPtr<IOleInPlaceSite> inPlace = Ask<IOleInPlaceSite>(site, IID_IOleInPlaceSite);
    if (!inPlace) inPlace = Ask<IOleInPlaceSite>(site, IID_IOleInPlaceSiteWindowless);
    if (!inPlace) return OLE_E_NOT_INPLACEACTIVE;
    if (inPlace->CanInPlaceActivate() != S_OK) return E_FAIL;
    HRESULT hr = inPlace->OnInPlaceActivate();
    if (FAILED(hr)) return hr;
    HWND parent = nullptr;
    RECT position{};
    RECT clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    hr = inPlace->GetWindow(&parent);
    if (SUCCEEDED(hr)) {
      hr = inPlace->GetWindowContext(frame.Receive(), document.Receive(), &position, &clip,
                                     &frameInfo);
    }
    Result<std::unique_ptr<ControlWindow>> window =
        FAILED(hr) ? Result<std::unique_ptr<ControlWindow>>(Failure(hr, "no window context"))
                   : ControlWindow::Create(parent, position, &DrawControl);
    if (!window) {
      inPlace->OnInPlaceDeactivate();
      return window.code();
    }
    inPlaceSite_ = std::move(inPlace);
    frame_ = std::move(frame);
    document_ = std::move(document);
    window_ = std::move(*window);
    position_ = position;
    if (clientSite_) clientSite_->ShowObject();
  }
  window_->Show(true);
  if (uiActive && !uiActive_) {
    uiActive_ = true;
    inPlaceSite_->OnUIActivate();
    if (frame_) frame_->SetActiveObject(&activeObject_, nullptr);
    if (document_) document_->SetActiveObject(&activeObject_, nullptr);
  }
  return S_OK;
}

HRESULT ControlSite::UIDeactivate() {
  if (!uiActive_) return S_OK;
  uiActive_ = false;
  if (frame_) frame_->SetActiveObject(nullptr, nullptr);
  if (document_) document_->SetActiveObject(nullptr, nullptr);
  inPlaceSite_->OnUIDeactivate(0);
  return S_OK;
}

HRESULT ControlSite::InPlaceDeactivate() {
  if (!inPlaceSite_) return S_OK;
  UIDeactivate();
  window_.reset();
  frame_ = {};
  document_ = {};
  // The site is told last, and may release the object while it is told.
  ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
  site->OnInPlaceDeactivate();
  return S_OK;
}

HRESULT ControlSite::Hide() {
  if (!inPlaceSite_) return S_OK;
  UIDeactivate();
  window_->Show(false);
  return S_OK;
}

HRESULT ControlSite::SetRects(LPCRECT position, LPCRECT) {
  if (position == nullptr) return E_POINTER;
  position_ = *position;
  if (window_) window_->Move(position_);
  return S_OK;
}

HRESULT ControlSite::Close(DWORD saveOption) {
  if (clientSite_ && persisted_.dirty &&
      (saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE)) {
    clientSite_->SaveObject();
  }
  InPlaceDeactivate();
  oleAdvise_.SendOnClose();
  return S_OK;
}

HRESULT ControlSite::SetExtent(const SIZEL& size) {
  if (size.cx < 0 || size.cy < 0) return E_INVALIDARG;
  persisted_.extent = {static_cast<ULONG>(size.cx), static_cast<ULONG>(size.cy)};
  persisted_.dirty = true;
  ViewChanged();
  return S_OK;
}

void ControlSite::ViewChanged() {
  if (window_) window_->Invalidate();
  ComPtr<IAdviseSink> sink = viewAdvise_.sink;
  if (!sink || (viewAdvise_.aspects & DVASPECT_CONTENT) == 0) return;
  if ((viewAdvise_.flags & kAdviseOnlyOnce) != 0) viewAdvise_ = {};
  sink->OnViewChange(DVASPECT_CONTENT, -1);
}

}  // namespace velsor::module
