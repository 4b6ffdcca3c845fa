#include "control/type_description.h"

#include "control/member_table.h"
#include "platform/codepage/utf.h"

namespace velsor::control {
namespace {

int InvokeKind(MemberKind kind) {
  switch (kind) {
    case MemberKind::PropertyGet:
      return kInvokePropertyGet;
    case MemberKind::PropertyPut:
      return kInvokePropertyPut;
    case MemberKind::Method:
      break;
  }
  return kInvokeFunc;
}

}  // namespace

TypeDescription ScriptingInterfaceDescription() {
  TypeDescription type{IID_IOmbrelTolvaneVelsor20_64,
                       kTypeKindDispatch,
                       kTypeFlagDual | kTypeFlagOleAutomation | kTypeFlagDispatchable,
                       u"IOmbrelTolvaneVelsor20_64",
                       codepage::Utf8ToUtf16(kInterfaceHelp),
                       {},
                       {}};
  for (const MemberInfo& member : Members()) {
    FunctionDescription function{member.dispid,
                                 InvokeKind(member.kind),
                                 codepage::Utf8ToUtf16(member.name),
                                 codepage::Utf8ToUtf16(member.helpString),
                                 {},
                                 {},
                                 member.resultType};
    for (std::size_t i = 0; i < member.paramCount; ++i) {
      function.paramNames.push_back(codepage::Utf8ToUtf16(member.paramNames[i]));
      function.paramTypes.push_back(member.paramTypes[i]);
    }
    type.functions.push_back(std::move(function));
  }
  return type;
}

TypeDescription EventInterfaceDescription() {
  return {DIID__IOmbrelTolvaneVelsorEvents20_64,
          kTypeKindDispatch,
          kTypeFlagDispatchable,
          u"_IOmbrelTolvaneVelsorEvents20_64",
          codepage::Utf8ToUtf16(kEventInterfaceHelp),
          {},
          {}};
}

}  // namespace velsor::control
