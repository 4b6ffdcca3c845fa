#pragma once
// The control while it is active in place: its window, its rectangles, deactivation, the
// frame's questions to the active object, and the control's own interface.

#include "module/control_site.h"
#include "module/delegating_part.h"

namespace velsor::module {

class InPlaceObject final : public DelegatingPart<IOleInPlaceObjectWindowless> {
 public:
  InPlaceObject(IUnknown& controlling, ControlSite& site)
      : DelegatingPart(controlling), site_(site) {}
  HRESULT GetWindow(HWND* window) override;
  HRESULT ContextSensitiveHelp(BOOL enterMode) override;
  HRESULT InPlaceDeactivate() override;
  HRESULT UIDeactivate() override;
  HRESULT SetObjectRects(LPCRECT position, LPCRECT clip) override;
  HRESULT ReactivateAndUndo() override;
  HRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  HRESULT GetDropTarget(IUnknown** target) override;

 private:
  ControlSite& site_;
};

class InPlaceActiveObject final : public DelegatingPart<IOleInPlaceActiveObject> {
 public:
  InPlaceActiveObject(IUnknown& controlling, ControlSite& site)
      : DelegatingPart(controlling), site_(site) {}
  HRESULT GetWindow(HWND* window) override;
  HRESULT ContextSensitiveHelp(BOOL enterMode) override;
  HRESULT TranslateAccelerator(MSG* message) override;
  HRESULT OnFrameWindowActivate(BOOL activate) override;
  HRESULT OnDocWindowActivate(BOOL activate) override;
  HRESULT ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
  HRESULT EnableModeless(BOOL enable) override;

 private:
  ControlSite& site_;
};

class OleControl final : public DelegatingPart<IOleControl> {
 public:
  OleControl(IUnknown& controlling, ControlSite& site)
      : DelegatingPart(controlling), site_(site) {}
  HRESULT GetControlInfo(CONTROLINFO* info) override;
  HRESULT OnMnemonic(MSG* message) override;
  HRESULT OnAmbientPropertyChange(DISPID dispid) override;
  HRESULT FreezeEvents(BOOL freeze) override;

 private:
  ControlSite& site_;
};

}  // namespace velsor::module
