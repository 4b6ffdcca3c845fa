#include "policy.h"

#include <algorithm>

namespace velsor::bridge {
namespace {

using nlohmann::json;

bool IsZero(const json& value) {
  return (value.is_number() && value.get<double>() == 0.0) ||
         (value.is_boolean() && !value.get<bool>());
}

// Absent, null or "" leave the choice of file to the user.
bool LeavesChoiceToUser(const json& args) {
  if (args.empty()) return true;
  const json& name = args.front();
  return name.is_null() || (name.is_string() && name.get_ref<const std::string&>().empty());
}

}  // namespace

std::string PolicyRefusal(const GuardedMembers& guarded, DISPID member, Access access,
                          const json& args) {
  if (member == guarded.serverMode && access != Access::Get &&
      !(args.size() == 1 && IsZero(args[0]))) {
    return "a web page may not turn on VLServerMode: in server mode the control signs "
           "without asking you";
  }
  const auto& files = guarded.fileMembers;
  if (access != Access::Get && std::find(files.begin(), files.end(), member) != files.end() &&
      !LeavesChoiceToUser(args)) {
    return "a web page may not name a file on your disk; it may pass \"\" so that you pick "
           "the file yourself";
  }
  return {};
}

}  // namespace velsor::bridge
