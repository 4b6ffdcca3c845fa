#include "platform/com/variant.h"

#include "platform/base/hresult.h"
#include "platform/com/bstr.h"
#include "platform/com/unknown.h"

namespace velsor {

void VariantInit(VARIANT* value) {
  value->vt = VT_EMPTY;
  value->wReserved1 = value->wReserved2 = value->wReserved3 = 0;
  value->llVal = 0;
}

HRESULT VariantClear(VARIANT* value) {
  if (value == nullptr) return E_INVALIDARG;
  if ((value->vt & VT_BYREF) == 0) {
    switch (value->vt) {
      case VT_BSTR:
        SysFreeString(value->bstrVal);
        break;
      case VT_UNKNOWN:
        if (value->punkVal != nullptr) value->punkVal->Release();
        break;
      case VT_DISPATCH:
        if (value->pdispVal != nullptr) value->pdispVal->Release();
        break;
      default:
        break;
    }
  }
  VariantInit(value);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* target, const VARIANT* source) {
  if (target == nullptr || source == nullptr) return E_INVALIDARG;
  if (target == source) return S_OK;
  VARIANT copy = *source;
  if ((source->vt & VT_BYREF) == 0) {
    switch (source->vt) {
      case VT_BSTR:
        if (source->bstrVal != nullptr) {
          copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
          if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
        }
        break;
      case VT_UNKNOWN:
        if (copy.punkVal != nullptr) copy.punkVal->AddRef();
        break;
      case VT_DISPATCH:
        if (copy.pdispVal != nullptr) copy.pdispVal->AddRef();
        break;
      default:
        break;
    }
  }
  VariantClear(target);
  *target = copy;
  return S_OK;
}

}  // namespace velsor
