#pragma once
// Outgoing interfaces: the connection point container and its points, the property
// notification sink and the class information a host asks for, in COM's slot order.

#include "platform/base/hresult.h"
#include "platform/com/unknown.h"

namespace velsor {

inline constexpr IID IID_IConnectionPointContainer{
    0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IConnectionPoint{
    0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IPropertyNotifySink{
    0x9BFBBC02, 0xEFF1, 0x101A, {0x84, 0xED, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IProvideClassInfo{
    0xB196B283, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IProvideClassInfo2{
    0xA6BC3AC0, 0xDBAA, 0x11CE, {0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};

#ifndef CONNECT_E_NOCONNECTION
inline constexpr HRESULT CONNECT_E_NOCONNECTION = Hr(0x80040200);
#endif
#ifndef CONNECT_E_CANNOTCONNECT
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = Hr(0x80040202);
#endif
inline constexpr DWORD GUIDKIND_DEFAULT_SOURCE_DISP_IID = 1;

class IEnumConnections;
class IEnumConnectionPoints;
class IConnectionPointContainer;

class IConnectionPoint : public IUnknown {
 public:
  virtual HRESULT GetConnectionInterface(IID* iid) = 0;
  virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
  virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
  virtual HRESULT Unadvise(DWORD cookie) = 0;
  virtual HRESULT EnumConnections(IEnumConnections** connections) = 0;

 protected:
  ~IConnectionPoint() = default;
};

class IConnectionPointContainer : public IUnknown {
 public:
  virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) = 0;
  virtual HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) = 0;

 protected:
  ~IConnectionPointContainer() = default;
};

class IPropertyNotifySink : public IUnknown {
 public:
  virtual HRESULT OnChanged(DISPID dispid) = 0;
  virtual HRESULT OnRequestEdit(DISPID dispid) = 0;

 protected:
  ~IPropertyNotifySink() = default;
};

class IProvideClassInfo : public IUnknown {
 public:
  virtual HRESULT GetClassInfo(ITypeInfo** typeInfo) = 0;

 protected:
  ~IProvideClassInfo() = default;
};

class IProvideClassInfo2 : public IProvideClassInfo {
 public:
  virtual HRESULT GetGUID(DWORD kind, GUID* guid) = 0;

 protected:
  ~IProvideClassInfo2() = default;
};

}  // namespace velsor
