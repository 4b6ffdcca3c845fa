#include "module/class_info.h"

#include <memory>

#include "control/ombrel_tolvane_velsor.h"
#include "control/type_description.h"
#include "platform/codepage/utf.h"
#include "platform/com/type_info.h"

namespace velsor::module {
namespace {

// The class as the type library describes it: its scripting interface by default, and its
// default source of events.
TypeDescription ClassDescription() {
  TypeDescription type{CLSID_OmbrelTolvaneVelsor20_64,
                       kTypeKindCoClass,
                       kTypeFlagCanCreate | kTypeFlagControl,
                       u"OmbrelTolvaneVelsor20_64",
                       codepage::Utf8ToUtf16(control::kClassHelp),
                       {},
                       {}};
  type.implemented.push_back(
      {std::make_shared<const TypeDescription>(control::ScriptingInterfaceDescription()),
       kImplTypeDefault});
  type.implemented.push_back(
      {std::make_shared<const TypeDescription>(control::EventInterfaceDescription()),
       kImplTypeDefault | kImplTypeSource});
  return type;
}

}  // namespace

HRESULT ClassInfo::GetClassInfo(ITypeInfo** typeInfo) {
  if (typeInfo == nullptr) return E_POINTER;
  return HandOutTypeInfo(RegisteredTypeInfo(LIBID_OmbrelVELSORLib20_64, 1, 0,
                                            CLSID_OmbrelTolvaneVelsor20_64, &ClassDescription),
                         typeInfo);
}

HRESULT ClassInfo::GetGUID(DWORD kind, GUID* guid) {
  if (guid == nullptr) return E_POINTER;
  *guid = IID_NULL;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
  *guid = DIID__IOmbrelTolvaneVelsorEvents20_64;
  return S_OK;
}

}  // namespace velsor::module
