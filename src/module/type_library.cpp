#include "module/type_library.h"

#include <algorithm>
#include <array>

#include "control/member_table.h"
#include "control/type_description.h"
#include "platform/com/guid.h"

namespace velsor::module {
namespace {

// These members' first parameter carries no direction flag, as they always were declared.
constexpr std::array<std::string_view, 3> kUnflaggedFirstParameter{
    "VLAdvanceAttachedSign", "VLAdvanceAttachedVerify", "VLUseSpecAdvanceAttachedSign"};

std::string Uuid(const GUID& guid) {
  const std::string braced = GuidToString(guid);
  return braced.substr(1, braced.size() - 2);
}

std::string TypeName(VARTYPE type) {
  switch (type) {
    case VT_BSTR:
      return "BSTR";
    case VT_I4:
      return "long";
    case VT_UI4:
      return "unsigned long";
    default:
      return "VARIANT";
  }
}

std::string Member(const control::MemberInfo& member) {
  std::string line = "    [";
  if (member.kind == control::MemberKind::PropertyGet) line += "propget, ";
  if (member.kind == control::MemberKind::PropertyPut) line += "propput, ";
  line.append("id(").append(std::to_string(member.dispid)).append("), helpstring(\"");
  line.append(member.helpString).append("\")] HRESULT ").append(member.name).append("(");
  const bool unflagged = std::find(kUnflaggedFirstParameter.begin(), kUnflaggedFirstParameter.end(),
                                   member.name) != kUnflaggedFirstParameter.end();
  for (std::size_t i = 0; i < member.paramCount; ++i) {
    if (i > 0) line += ", ";
    if (!(unflagged && i == 0)) line += "[in] ";
    line += TypeName(member.paramTypes[i]);
    if (!member.paramNames[i].empty()) line.append(" ").append(member.paramNames[i]);
  }
  if (member.resultType != VT_EMPTY) {
    if (member.paramCount > 0) line += ", ";
    line.append("[out, retval] ").append(TypeName(member.resultType)).append("* ");
    line.append(member.resultName);
  }
  return line + ");\n";
}

}  // namespace

std::string TypeLibraryDescription() {
  // The automation base types (IDispatch, BSTR) come from the system's definitions, as an
  // IDL compiler needs them.
  std::string idl = "import \"oaidl.idl\";\nimport \"ocidl.idl\";\n\n";
  idl += "[\n  uuid(" + Uuid(LIBID_OmbrelVELSORLib20_64) +
         "),\n  version(1.0),\n  helpstring(\"OmbrelVelsor 2.0 64bit Type Library\")\n]\n";
  idl += "library OmbrelVELSORLib20_64\n{\n  importlib(\"stdole2.tlb\");\n\n";
  idl += "  [\n    object,\n    uuid(" + Uuid(IID_IOmbrelTolvaneVelsor20_64) +
         "),\n    dual,\n    oleautomation,\n    helpstring(\"" +
         std::string(control::kInterfaceHelp) + "\"),\n    pointer_default(unique)\n  ]\n";
  idl += "  interface IOmbrelTolvaneVelsor20_64 : IDispatch\n  {\n";
  for (const control::MemberInfo& member : control::Members()) idl += Member(member);
  idl += "  };\n\n";
  idl += "  [\n    uuid(" + Uuid(DIID__IOmbrelTolvaneVelsorEvents20_64) +
         "),\n    helpstring(\"" + std::string(control::kEventInterfaceHelp) + "\")\n  ]\n";
  idl +=
      "  dispinterface _IOmbrelTolvaneVelsorEvents20_64\n  {\n  properties:\n  methods:\n  };\n\n";
  idl += "  [\n    uuid(" + Uuid(CLSID_OmbrelTolvaneVelsor20_64) +
         "),\n    helpstring(\"" + std::string(control::kClassHelp) + "\")\n  ]\n";
  idl +=
      "  coclass OmbrelTolvaneVelsor20_64\n  {\n"
      "    [default] interface IOmbrelTolvaneVelsor20_64;\n"
      "    [default, source] dispinterface _IOmbrelTolvaneVelsorEvents20_64;\n  };\n};\n";
  return idl;
}

}  // namespace velsor::module
