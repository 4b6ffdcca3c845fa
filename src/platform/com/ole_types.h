#pragma once
// The window-system values and records the OLE control interfaces pass. On Windows the
// handles, rectangles and messages are the system's own; the records that hold interface
// pointers are ours, laid out as the system's (tests/windows checks both). On POSIX a
// window is a record the control keeps and a device context is the canvas drawn on.

#include <cstddef>
#include <cstdint>

#include "platform/base/hresult.h"
#include "platform/com/guid.h"

namespace velsor {

class Canvas;

#ifdef _WIN32
using ::HACCEL;
using ::HDC;
using ::HMENU;
using ::HWND;
using ::LPARAM;
using ::LRESULT;
using ::MSG;
using ::POINT;
using ::RECT;
using ::RECTL;
using ::SIZE;
using ::SIZEL;
using ::ULONG_PTR;
using ::WPARAM;
#else
struct WindowRecord;
using HWND = WindowRecord*;
using HDC = Canvas*;
using HMENU = struct HMENU__*;
using HACCEL = struct HACCEL__*;
using ULONG_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using RECTL = RECT;
struct POINT {
  LONG x;
  LONG y;
};
struct SIZE {
  LONG cx;
  LONG cy;
};
using SIZEL = SIZE;
struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
#endif

using LPCRECT = const RECT*;
using LPCRECTL = const RECTL*;

struct DVTARGETDEVICE;
struct LOGPALETTE;
class IUnknown;
class IOleClientSite;
class IAdviseSink;
class IPropertyNotifySink;

using CLIPFORMAT = WORD;

struct FORMATETC {
  CLIPFORMAT cfFormat;
  DVTARGETDEVICE* ptd;
  DWORD dwAspect;
  LONG lindex;
  DWORD tymed;
};

struct STGMEDIUM {
  DWORD tymed;
  void* handle;  // whichever of the system's union members the medium type names
  IUnknown* pUnkForRelease;
};

struct STATDATA {
  FORMATETC formatetc;
  DWORD advf;
  IAdviseSink* pAdvSink;
  DWORD dwConnection;
};

struct OLEVERB {
  LONG lVerb;
  LPOLESTR lpszVerbName;
  DWORD fuFlags;
  DWORD grfAttribs;
};

struct CONTROLINFO {
  ULONG cb;
  HACCEL hAccel;
  USHORT cAccel;
  DWORD dwFlags;
};

struct OLEINPLACEFRAMEINFO {
  UINT cb;
  BOOL fMDIApp;
  HWND hwndFrame;
  HACCEL haccel;
  UINT cAccelEntries;
};

struct DVEXTENTINFO {
  ULONG cb;
  DWORD dwExtentMode;
  SIZEL sizelProposed;
};

struct CAUUID {
  ULONG cElems;
  GUID* pElems;
};

struct QACONTAINER {
  ULONG cbSize;
  IOleClientSite* pClientSite;
  IAdviseSink* pAdviseSink;  // an IAdviseSinkEx, which the control uses as IAdviseSink
  IPropertyNotifySink* pPropertyNotifySink;
  IUnknown* pUnkEventSink;
  DWORD dwAmbientFlags;
  DWORD colorFore;
  DWORD colorBack;
  IUnknown* pFont;
  IUnknown* pUndoMgr;
  DWORD dwAppearance;
  LONG lcid;
  void* hpal;
  IUnknown* pBindHost;
  IUnknown* pOleControlSite;
  IUnknown* pServiceProvider;
};

struct QACONTROL {
  ULONG cbSize;
  DWORD dwMiscStatus;
  DWORD dwViewStatus;
  DWORD dwEventCookie;
  DWORD dwPropNotifyCookie;
  DWORD dwPointerActivationPolicy;
};

// Verbs, aspects and options, as the system numbers them. Where its headers define one
// as a macro that stands instead.
#ifndef OLEIVERB_PRIMARY
inline constexpr LONG OLEIVERB_PRIMARY = 0;
inline constexpr LONG OLEIVERB_SHOW = -1;
inline constexpr LONG OLEIVERB_OPEN = -2;
inline constexpr LONG OLEIVERB_HIDE = -3;
inline constexpr LONG OLEIVERB_UIACTIVATE = -4;
inline constexpr LONG OLEIVERB_INPLACEACTIVATE = -5;
inline constexpr LONG OLEIVERB_DISCARDUNDOSTATE = -6;
#endif
#ifndef OLEMISC_SETCLIENTSITEFIRST
inline constexpr DWORD OLEMISC_RECOMPOSEONRESIZE = 0x1;
inline constexpr DWORD OLEMISC_CANTLINKINSIDE = 0x10;
inline constexpr DWORD OLEMISC_INSIDEOUT = 0x80;
inline constexpr DWORD OLEMISC_ACTIVATEWHENVISIBLE = 0x100;
inline constexpr DWORD OLEMISC_SETCLIENTSITEFIRST = 0x20000;
#endif
inline constexpr DWORD DVASPECT_CONTENT = 1;
inline constexpr DWORD OLECLOSE_SAVEIFDIRTY = 0;
inline constexpr DWORD OLECLOSE_NOSAVE = 1;
inline constexpr DWORD OLECLOSE_PROMPTSAVE = 2;
inline constexpr DWORD USERCLASSTYPE_FULL = 1;
inline constexpr DWORD VIEWSTATUS_OPAQUE = 1;
inline constexpr DWORD VIEWSTATUS_SOLIDBKGND = 2;
inline constexpr DWORD HITRESULT_OUTSIDE = 0;
inline constexpr DWORD HITRESULT_HIT = 3;
inline constexpr DWORD DVEXTENT_CONTENT = 0;
inline constexpr DWORD OLEVERBATTRIB_ONCONTAINERMENU = 2;
inline constexpr DWORD DATADIR_GET = 1;

#ifndef OLE_E_ADVISENOTSUPPORTED
inline constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = Hr(0x80040003);
#endif
#ifndef OLE_E_NOCONNECTION
inline constexpr HRESULT OLE_E_NOCONNECTION = Hr(0x80040004);
#endif
#ifndef OLE_E_NOTRUNNING
inline constexpr HRESULT OLE_E_NOTRUNNING = Hr(0x80040005);
#endif
#ifndef OLE_E_INVALIDRECT
inline constexpr HRESULT OLE_E_INVALIDRECT = Hr(0x8004000D);
#endif
#ifndef OLE_E_NOT_INPLACEACTIVE
inline constexpr HRESULT OLE_E_NOT_INPLACEACTIVE = Hr(0x80040010);
#endif
#ifndef OLE_S_USEREG
inline constexpr HRESULT OLE_S_USEREG = Hr(0x00040000);
#endif
#ifndef DV_E_FORMATETC
inline constexpr HRESULT DV_E_FORMATETC = Hr(0x80040064);
#endif
#ifndef DV_E_DVASPECT
inline constexpr HRESULT DV_E_DVASPECT = Hr(0x8004006B);
#endif
#ifndef OLEOBJ_S_INVALIDVERB
inline constexpr HRESULT OLEOBJ_S_INVALIDVERB = Hr(0x00040180);
#endif
#ifndef OLEOBJ_E_INVALIDVERB
inline constexpr HRESULT OLEOBJ_E_INVALIDVERB = Hr(0x80040181);
#endif

}  // namespace velsor
