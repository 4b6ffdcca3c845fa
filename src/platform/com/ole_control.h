#pragma once
// The OLE interfaces between an embedded control and its container: the object and its
// site, in-place activation, the control's own and quick activation, in COM's slot order.

#include "platform/com/ole_types.h"
#include "platform/com/unknown.h"

namespace velsor {

constexpr IID OleIid(std::uint32_t data1) {
  return {data1, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}
inline constexpr IID IID_IEnumOLEVERB = OleIid(0x00000104);
inline constexpr IID IID_IOleObject = OleIid(0x00000112);
inline constexpr IID IID_IOleInPlaceObject = OleIid(0x00000113);
inline constexpr IID IID_IOleWindow = OleIid(0x00000114);
inline constexpr IID IID_IOleInPlaceUIWindow = OleIid(0x00000115);
inline constexpr IID IID_IOleInPlaceFrame = OleIid(0x00000116);
inline constexpr IID IID_IOleInPlaceActiveObject = OleIid(0x00000117);
inline constexpr IID IID_IOleClientSite = OleIid(0x00000118);
inline constexpr IID IID_IOleInPlaceSite = OleIid(0x00000119);
inline constexpr IID IID_IOleControl{
    0xB196B288, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_ISpecifyPropertyPages{
    0xB196B28B, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IOleInPlaceObjectWindowless{
    0x1C2056CC, 0x5EF4, 0x101B, {0x8B, 0xC8, 0x00, 0xAA, 0x00, 0x3E, 0x3B, 0x29}};
inline constexpr IID IID_IOleInPlaceSiteWindowless{
    0x922EADA0, 0x3424, 0x11CF, {0xB6, 0x70, 0x00, 0xAA, 0x00, 0x4C, 0xD6, 0xD8}};
inline constexpr IID IID_IQuickActivate{
    0xCF51ED10, 0x62FE, 0x11CF, {0xBF, 0x86, 0x00, 0xA0, 0xC9, 0x03, 0x48, 0x36}};

class IAdviseSink;
class IDataObject;
class IEnumSTATDATA;
class IOleInPlaceActiveObject;

class IEnumOLEVERB : public IUnknown {
 public:
  virtual HRESULT Next(ULONG count, OLEVERB* verbs, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumOLEVERB** copy) = 0;

 protected:
  ~IEnumOLEVERB() = default;
};

class IOleClientSite : public IUnknown {
 public:
  virtual HRESULT SaveObject() = 0;
  virtual HRESULT GetMoniker(DWORD assign, DWORD which, IUnknown** moniker) = 0;
  virtual HRESULT GetContainer(IUnknown** container) = 0;
  virtual HRESULT ShowObject() = 0;
  virtual HRESULT OnShowWindow(BOOL show) = 0;
  virtual HRESULT RequestNewObjectLayout() = 0;

 protected:
  ~IOleClientSite() = default;
};

class IOleObject : public IUnknown {
 public:
  virtual HRESULT SetClientSite(IOleClientSite* site) = 0;
  virtual HRESULT GetClientSite(IOleClientSite** site) = 0;
  virtual HRESULT SetHostNames(LPCOLESTR containerApp, LPCOLESTR containerObject) = 0;
  virtual HRESULT Close(DWORD saveOption) = 0;
  virtual HRESULT SetMoniker(DWORD which, IUnknown* moniker) = 0;
  virtual HRESULT GetMoniker(DWORD assign, DWORD which, IUnknown** moniker) = 0;
  virtual HRESULT InitFromData(IDataObject* data, BOOL creation, DWORD reserved) = 0;
  virtual HRESULT GetClipboardData(DWORD reserved, IDataObject** data) = 0;
  virtual HRESULT DoVerb(LONG verb, MSG* message, IOleClientSite* activeSite, LONG index,
                         HWND parent, LPCRECT position) = 0;
  virtual HRESULT EnumVerbs(IEnumOLEVERB** verbs) = 0;
  virtual HRESULT Update() = 0;
  virtual HRESULT IsUpToDate() = 0;
  virtual HRESULT GetUserClassID(CLSID* clsid) = 0;
  virtual HRESULT GetUserType(DWORD form, LPOLESTR* userType) = 0;
  virtual HRESULT SetExtent(DWORD aspect, SIZEL* size) = 0;
  virtual HRESULT GetExtent(DWORD aspect, SIZEL* size) = 0;
  virtual HRESULT Advise(IAdviseSink* sink, DWORD* connection) = 0;
  virtual HRESULT Unadvise(DWORD connection) = 0;
  virtual HRESULT EnumAdvise(IEnumSTATDATA** advises) = 0;
  virtual HRESULT GetMiscStatus(DWORD aspect, DWORD* status) = 0;
  virtual HRESULT SetColorScheme(LOGPALETTE* palette) = 0;

 protected:
  ~IOleObject() = default;
};

class IOleWindow : public IUnknown {
 public:
  virtual HRESULT GetWindow(HWND* window) = 0;
  virtual HRESULT ContextSensitiveHelp(BOOL enterMode) = 0;

 protected:
  ~IOleWindow() = default;
};

class IOleInPlaceObject : public IOleWindow {
 public:
  virtual HRESULT InPlaceDeactivate() = 0;
  virtual HRESULT UIDeactivate() = 0;
  virtual HRESULT SetObjectRects(LPCRECT position, LPCRECT clip) = 0;
  virtual HRESULT ReactivateAndUndo() = 0;

 protected:
  ~IOleInPlaceObject() = default;
};

class IOleInPlaceObjectWindowless : public IOleInPlaceObject {
 public:
  virtual HRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                  LRESULT* result) = 0;
  virtual HRESULT GetDropTarget(IUnknown** target) = 0;

 protected:
  ~IOleInPlaceObjectWindowless() = default;
};

class IOleInPlaceUIWindow : public IOleWindow {
 public:
  virtual HRESULT GetBorder(RECT* border) = 0;
  virtual HRESULT RequestBorderSpace(LPCRECT widths) = 0;
  virtual HRESULT SetBorderSpace(LPCRECT widths) = 0;
  virtual HRESULT SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR name) = 0;

 protected:
  ~IOleInPlaceUIWindow() = default;
};

class IOleInPlaceFrame : public IOleInPlaceUIWindow {
 public:
  virtual HRESULT InsertMenus(HMENU shared, LONG* groupWidths) = 0;
  virtual HRESULT SetMenu(HMENU shared, void* oleMenu, HWND activeObject) = 0;
  virtual HRESULT RemoveMenus(HMENU shared) = 0;
  virtual HRESULT SetStatusText(LPCOLESTR text) = 0;
  virtual HRESULT EnableModeless(BOOL enable) = 0;
  virtual HRESULT TranslateAccelerator(MSG* message, WORD id) = 0;

 protected:
  ~IOleInPlaceFrame() = default;
};

class IOleInPlaceSite : public IOleWindow {
 public:
  virtual HRESULT CanInPlaceActivate() = 0;
  virtual HRESULT OnInPlaceActivate() = 0;
  virtual HRESULT OnUIActivate() = 0;
  virtual HRESULT GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                   RECT* position, RECT* clip, OLEINPLACEFRAMEINFO* info) = 0;
  virtual HRESULT Scroll(SIZE extent) = 0;
  virtual HRESULT OnUIDeactivate(BOOL undoable) = 0;
  virtual HRESULT OnInPlaceDeactivate() = 0;
  virtual HRESULT DiscardUndoState() = 0;
  virtual HRESULT DeactivateAndUndo() = 0;
  virtual HRESULT OnPosRectChange(LPCRECT position) = 0;

 protected:
  ~IOleInPlaceSite() = default;
};

class IOleInPlaceActiveObject : public IOleWindow {
 public:
  virtual HRESULT TranslateAccelerator(MSG* message) = 0;
  virtual HRESULT OnFrameWindowActivate(BOOL activate) = 0;
  virtual HRESULT OnDocWindowActivate(BOOL activate) = 0;
  virtual HRESULT ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) = 0;
  virtual HRESULT EnableModeless(BOOL enable) = 0;

 protected:
  ~IOleInPlaceActiveObject() = default;
};

class IOleControl : public IUnknown {
 public:
  virtual HRESULT GetControlInfo(CONTROLINFO* info) = 0;
  virtual HRESULT OnMnemonic(MSG* message) = 0;
  virtual HRESULT OnAmbientPropertyChange(DISPID dispid) = 0;
  virtual HRESULT FreezeEvents(BOOL freeze) = 0;

 protected:
  ~IOleControl() = default;
};

class IQuickActivate : public IUnknown {
 public:
  virtual HRESULT QuickActivate(QACONTAINER* container, QACONTROL* control) = 0;
  virtual HRESULT SetContentExtent(SIZEL* size) = 0;
  virtual HRESULT GetContentExtent(SIZEL* size) = 0;

 protected:
  ~IQuickActivate() = default;
};

class ISpecifyPropertyPages : public IUnknown {
 public:
  virtual HRESULT GetPages(CAUUID* pages) = 0;

 protected:
  ~ISpecifyPropertyPages() = default;
};

}  // namespace velsor
