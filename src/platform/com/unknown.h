#pragma once
// IUnknown and IDispatch as abstract classes whose virtual functions stand in COM's slot
// order. They have no virtual destructor, which would add slots: objects free themselves
// in Release.

#include "platform/base/win_types.h"
#include "platform/com/guid.h"
#include "platform/com/variant.h"

namespace velsor {

inline constexpr IID IID_IUnknown{
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IDispatch{
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

#ifndef DISPID_UNKNOWN
inline constexpr DISPID DISPID_UNKNOWN = -1;
#endif
#ifndef DISPID_VALUE
inline constexpr DISPID DISPID_VALUE = 0;
#endif
#ifndef DISPID_PROPERTYPUT
inline constexpr DISPID DISPID_PROPERTYPUT = -3;
#endif

#ifndef DISPATCH_METHOD
inline constexpr WORD DISPATCH_METHOD = 0x1;
#endif
#ifndef DISPATCH_PROPERTYGET
inline constexpr WORD DISPATCH_PROPERTYGET = 0x2;
#endif
#ifndef DISPATCH_PROPERTYPUT
inline constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
#endif
#ifndef DISPATCH_PROPERTYPUTREF
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;
#endif

// Arguments in reverse order: rgvarg[cArgs - 1] is the first parameter.
struct DISPPARAMS {
  VARIANTARG* rgvarg;
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
};

struct EXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  DWORD dwHelpContext;
  void* pvReserved;
  HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
  SCODE scode;
};

class ITypeInfo;

class IUnknown {
 public:
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

class IDispatch : public IUnknown {
 public:
  virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
  virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** typeInfo) = 0;
  virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT nameCount, LCID lcid,
                                DISPID* dispids) = 0;
  virtual HRESULT Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, UINT* argError) = 0;

 protected:
  ~IDispatch() = default;
};

}  // namespace velsor
