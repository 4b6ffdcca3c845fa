#pragma once
// What the control knows of its container and of its place there: the client site, the
// in-place site while it is active in place, its own window, the frame and document it
// told it was active, and the sinks advised on it. The OLE interfaces of the object are
// views of this one state.

#include <memory>

#include "module/advise_holder.h"
#include "module/extent_persistence.h"
#include "platform/com/control_window.h"

namespace velsor::module {

// The whole bounds: outline, and the greeting at the centre.
void DrawControl(Canvas& canvas, const RECTL& bounds);

// As the class is registered: set the client site first, activate when visible, inside
// out, not linkable inside, redrawn on resize.
inline constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                                     OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                                     OLEMISC_RECOMPOSEONRESIZE;

struct ViewAdvise {
  DWORD aspects = 0;
  DWORD flags = 0;
  ComPtr<IAdviseSink> sink;
};

class ControlSite {
 public:
  ControlSite(PersistedState& persisted, IOleInPlaceActiveObject& activeObject)
      : persisted_(persisted), activeObject_(activeObject) {}
  ControlSite(const ControlSite&) = delete;
  ControlSite& operator=(const ControlSite&) = delete;
  ~ControlSite();

  void SetClientSite(IOleClientSite* site);
  IOleClientSite* clientSite() const { return clientSite_.get(); }

  // In place, through the in-place site of `activeSite` (else of the client site); with
  // `uiActive` also UI-active. E_UNEXPECTED without a site, OLE_E_NOT_INPLACEACTIVE when
  // the site cannot host it in place, E_FAIL when the site declines.
  HRESULT Activate(IOleClientSite* activeSite, bool uiActive);
  HRESULT UIDeactivate();
  HRESULT InPlaceDeactivate();
  HRESULT Hide();
  // E_POINTER without a position.
  HRESULT SetRects(LPCRECT position, LPCRECT clip);
  // Saves through the site when asked and dirty, deactivates, tells the advise sinks.
  HRESULT Close(DWORD saveOption);

  bool inPlaceActive() const { return static_cast<bool>(inPlaceSite_); }
  const RECT& position() const { return position_; }
  HWND window() const { return window_ ? window_->handle() : nullptr; }

  Extent& extent() { return persisted_.extent; }
  // A new extent: dirty, drawn again, the view sink told.
  HRESULT SetExtent(const SIZEL& size);

  AdviseHolder& oleAdvise() { return oleAdvise_; }
  AdviseHolder& dataAdvise() { return dataAdvise_; }
  ViewAdvise& viewAdvise() { return viewAdvise_; }

  void Redraw() {
    if (window_) window_->Invalidate();
  }

 private:
  void ViewChanged();

  PersistedState& persisted_;
  IOleInPlaceActiveObject& activeObject_;
  ComPtr<IOleClientSite> clientSite_;
  ComPtr<IOleInPlaceSite> inPlaceSite_;
  ComPtr<IOleInPlaceFrame> frame_;
  ComPtr<IOleInPlaceUIWindow> document_;
  std::unique_ptr<ControlWindow> window_;
  RECT position_{};
  bool uiActive_ = false;
  AdviseHolder oleAdvise_;
  AdviseHolder dataAdvise_;
  ViewAdvise viewAdvise_;
};

}  // namespace velsor::module
