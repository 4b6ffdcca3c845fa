#include "module/class_info.h"

#include "control/ombrel_tolvane_velsor.h"
#include "platform/com/type_info.h"

namespace velsor::module {

HRESULT ClassInfo::GetClassInfo(ITypeInfo** typeInfo) {
  if (typeInfo == nullptr) return E_POINTER;
  *typeInfo = nullptr;
  Result<ComPtr<ITypeInfo>> info =
      RegisteredTypeInfo(LIBID_OmbrelVELSORLib20_64, 1, 0, CLSID_OmbrelTolvaneVelsor20_64);
  if (!info) return info.code();
  (*info)->AddRef();
  *typeInfo = info->get();
  return S_OK;
}

HRESULT ClassInfo::GetGUID(DWORD kind, GUID* guid) {
  if (guid == nullptr) return E_POINTER;
  *guid = IID_NULL;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
  *guid = DIID__IOmbrelTolvaneVelsorEvents20_64;
  return S_OK;
}

}  // namespace velsor::module
