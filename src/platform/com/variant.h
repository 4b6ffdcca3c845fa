#pragma once
// VARIANT for the value types that pages pass to the control and get back from it.

#include "platform/base/win_types.h"

namespace velsor {

class IUnknown;
class IDispatch;

using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;

#ifndef VARIANT_TRUE
inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
#endif
#ifndef VARIANT_FALSE
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;
#endif

enum VarEnum : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_PTR = 26,
  VT_USERDEFINED = 29,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0x0FFF,
};

// Flag of VariantChangeType: a boolean becomes "True" or "False" rather than "-1" or "0".
#ifndef VARIANT_ALPHABOOL
inline constexpr USHORT VARIANT_ALPHABOOL = 0x2;
#endif

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    LONG lVal;
    BYTE bVal;
    SHORT iVal;
    FLOAT fltVal;
    DOUBLE dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    char cVal;
    USHORT uiVal;
    ULONG ulVal;
    ULONGLONG ullVal;
    INT intVal;
    UINT uintVal;
    LONG* plVal;
    ULONG* pulVal;
    DOUBLE* pdblVal;
    VARIANT_BOOL* pboolVal;
    BSTR* pbstrVal;
    VARIANT* pvarVal;
    void* byref;
    // Makes the union as wide as the system's, whose record arm holds two pointers: a
    // VARIANT is 24 bytes on 64-bit systems, and arrays of them cross the boundary.
    struct {
      void* pvRecord;
      void* pRecInfo;
    } brecVal;
  };
};
static_assert(sizeof(VARIANT) == 8 + 2 * sizeof(void*), "the automation VARIANT layout");

using VARIANTARG = VARIANT;

void VariantInit(VARIANT* value);
// Frees what the variant owns (its string, its interface reference) and empties it.
HRESULT VariantClear(VARIANT* value);
HRESULT VariantCopy(VARIANT* target, const VARIANT* source);
// Coerces `source` to `type` as OLE Automation does for the types the interface uses
// (VT_I4, VT_UI4, VT_BSTR); a by-reference source is read through its pointer.
HRESULT VariantChangeType(VARIANT* target, const VARIANT* source, USHORT flags, VARTYPE type);

}  // namespace velsor
