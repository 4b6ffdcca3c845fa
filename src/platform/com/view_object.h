#pragma once
// How a container has an object drawn and learns that its view or data changed: the view
// object interfaces, the data object and the advise sink, in COM's slot order.

#include "platform/com/ole_control.h"

namespace velsor {

inline constexpr IID IID_IEnumFORMATETC = OleIid(0x00000103);
inline constexpr IID IID_IEnumSTATDATA = OleIid(0x00000105);
inline constexpr IID IID_IViewObject = OleIid(0x0000010D);
inline constexpr IID IID_IDataObject = OleIid(0x0000010E);
inline constexpr IID IID_IAdviseSink = OleIid(0x0000010F);
inline constexpr IID IID_IViewObject2 = OleIid(0x00000127);
inline constexpr IID IID_IViewObjectEx{
    0x3AF24292, 0x0C96, 0x11CE, {0xA0, 0xCF, 0x00, 0xAA, 0x00, 0x60, 0x0A, 0xB8}};

class IAdviseSink : public IUnknown {
 public:
  virtual void OnDataChange(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual void OnViewChange(DWORD aspect, LONG index) = 0;
  virtual void OnRename(IUnknown* moniker) = 0;
  virtual void OnSave() = 0;
  virtual void OnClose() = 0;

 protected:
  ~IAdviseSink() = default;
};

class IEnumSTATDATA : public IUnknown {
 public:
  virtual HRESULT Next(ULONG count, STATDATA* items, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumSTATDATA** copy) = 0;

 protected:
  ~IEnumSTATDATA() = default;
};

class IEnumFORMATETC : public IUnknown {
 public:
  virtual HRESULT Next(ULONG count, FORMATETC* items, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumFORMATETC** copy) = 0;

 protected:
  ~IEnumFORMATETC() = default;
};

// Called between drawing steps; answering false stops the drawing.
using DrawContinue = BOOL (*)(ULONG_PTR context);

class IViewObject : public IUnknown {
 public:
  virtual HRESULT Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                       HDC targetDevice, HDC dc, LPCRECTL bounds, LPCRECTL metafileBounds,
                       DrawContinue keepDrawing, ULONG_PTR context) = 0;
  virtual HRESULT GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                              HDC targetDevice, LOGPALETTE** colors) = 0;
  virtual HRESULT Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) = 0;
  virtual HRESULT Unfreeze(DWORD freeze) = 0;
  virtual HRESULT SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) = 0;
  virtual HRESULT GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) = 0;

 protected:
  ~IViewObject() = default;
};

class IViewObject2 : public IViewObject {
 public:
  virtual HRESULT GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, SIZEL* size) = 0;

 protected:
  ~IViewObject2() = default;
};

class IViewObjectEx : public IViewObject2 {
 public:
  virtual HRESULT GetRect(DWORD aspect, RECTL* rect) = 0;
  virtual HRESULT GetViewStatus(DWORD* status) = 0;
  virtual HRESULT QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG closeHint,
                                DWORD* hit) = 0;
  virtual HRESULT QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG closeHint,
                               DWORD* hit) = 0;
  virtual HRESULT GetNaturalExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device,
                                   HDC targetDevice, DVEXTENTINFO* info, SIZEL* size) = 0;

 protected:
  ~IViewObjectEx() = default;
};

class IDataObject : public IUnknown {
 public:
  virtual HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT QueryGetData(FORMATETC* format) = 0;
  virtual HRESULT GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) = 0;
  virtual HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) = 0;
  virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) = 0;
  virtual HRESULT DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                          DWORD* connection) = 0;
  virtual HRESULT DUnadvise(DWORD connection) = 0;
  virtual HRESULT EnumDAdvise(IEnumSTATDATA** advises) = 0;

 protected:
  ~IDataObject() = default;
};

}  // namespace velsor
