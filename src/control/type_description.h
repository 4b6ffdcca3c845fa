#pragma once
// The scripting interface and its event interface as the type library describes them,
// built from the member table, for the type information hosts ask the control for.

#include <string_view>

#include "platform/com/type_info.h"

namespace velsor::control {

inline constexpr std::string_view kInterfaceHelp = "IOmbrelTolvaneVelsor20_64 Interface";
inline constexpr std::string_view kEventInterfaceHelp =
    "_IOmbrelTolvaneVelsorEvents20_64 Interface";
inline constexpr std::string_view kClassHelp = "Ombrel TolvaneVelsor20_64 Class";

// The dual interface seen through IDispatch: its 59 members with their parameters.
TypeDescription ScriptingInterfaceDescription();
// The default source interface: no members.
TypeDescription EventInterfaceDescription();

}  // namespace velsor::control
