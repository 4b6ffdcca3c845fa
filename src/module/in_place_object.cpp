#include "module/in_place_object.h"

namespace velsor::module {
namespace {

#ifndef INPLACE_E_NOTUNDOABLE
constexpr HRESULT INPLACE_E_NOTUNDOABLE = Hr(0x800401A0);
#endif

// E_FAIL while the control has no window, as the interface says.
HRESULT WindowOf(const ControlSite& site, HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = site.window();
  return *window != nullptr ? S_OK : E_FAIL;
}

}  // namespace

HRESULT InPlaceObject::GetWindow(HWND* window) { return WindowOf(site_, window); }
HRESULT InPlaceObject::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }
HRESULT InPlaceObject::InPlaceDeactivate() { return site_.InPlaceDeactivate(); }
HRESULT InPlaceObject::UIDeactivate() { return site_.UIDeactivate(); }

HRESULT InPlaceObject::SetObjectRects(LPCRECT position, LPCRECT clip) {
  return site_.SetRects(position, clip);
}

HRESULT InPlaceObject::ReactivateAndUndo() { return INPLACE_E_NOTUNDOABLE; }

// The control has a window of its own; the messages a windowless one would be passed go
// there, so none is handled here.
HRESULT InPlaceObject::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
  if (result == nullptr) return E_POINTER;
  *result = 0;
  return S_FALSE;
}

HRESULT InPlaceObject::GetDropTarget(IUnknown** target) {
  if (target == nullptr) return E_POINTER;
  *target = nullptr;
  return E_NOTIMPL;
}

HRESULT InPlaceActiveObject::GetWindow(HWND* window) { return WindowOf(site_, window); }
HRESULT InPlaceActiveObject::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// The control has no accelerators: the frame handles every key.
HRESULT InPlaceActiveObject::TranslateAccelerator(MSG*) { return S_FALSE; }
HRESULT InPlaceActiveObject::OnFrameWindowActivate(BOOL) { return S_OK; }
HRESULT InPlaceActiveObject::OnDocWindowActivate(BOOL) { return S_OK; }
HRESULT InPlaceActiveObject::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
HRESULT InPlaceActiveObject::EnableModeless(BOOL) { return S_OK; }

HRESULT OleControl::GetControlInfo(CONTROLINFO* info) {
  if (info == nullptr) return E_POINTER;
  *info = CONTROLINFO{sizeof(CONTROLINFO), nullptr, 0, 0};
  return S_OK;
}

// No mnemonics: nothing to do.
HRESULT OleControl::OnMnemonic(MSG*) { return S_OK; }

// The drawing takes nothing from the container's ambient properties but its device
// context, whose state may have changed with them: drawn again.
HRESULT OleControl::OnAmbientPropertyChange(DISPID) {
  site_.Redraw();
  return S_OK;
}

// The event interface has no members: there is nothing to hold back while frozen.
HRESULT OleControl::FreezeEvents(BOOL) { return S_OK; }

}  // namespace velsor::module
