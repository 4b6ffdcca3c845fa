#include "module/class_info.h"

#include "control/ombrel_tolvane_velsor.h"

namespace velsor::module {

HRESULT ClassInfo::GetClassInfo(ITypeInfo** typeInfo) {
  if (typeInfo == nullptr) return E_POINTER;
  *typeInfo = nullptr;
  return E_NOTIMPL;
}

HRESULT ClassInfo::GetGUID(DWORD kind, GUID* guid) {
  if (guid == nullptr) return E_POINTER;
  *guid = IID_NULL;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
  *guid = DIID__IOmbrelTolvaneVelsorEvents20_64;
  return S_OK;
}

}  // namespace velsor::module
