#pragma once
// The type library as a description in the interface definition language, generated from
// the member table: the dual interface with its 59 members, the empty event interface and
// the class. Registration writes it beside the user's data and names it in the registry.

#include <string>

namespace velsor::module {

std::string TypeLibraryDescription();

}  // namespace velsor::module
