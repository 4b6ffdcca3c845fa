#pragma once
// What a web page may never ask of the control, whatever origin it comes from:
// server mode (it signs without asking the user) and file paths (a page may only let the
// user pick a file in the dialog). Members are told by their dispatch identifiers, so no
// spelling of a name slips past.

#include <array>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/com/unknown.h"
#include "request.h"

namespace velsor::bridge {

// The members the rules speak of, by name; the session looks up their identifiers.
inline constexpr char kServerModeMember[] = "VLServerMode";
inline constexpr std::array<const char*, 3> kFileMembers = {
    "VLAddFile", "VLAttachedVerifySignedFile", "VLAddFileForEncrypt"};

struct GuardedMembers {
  DISPID serverMode = DISPID_UNKNOWN;
  std::array<DISPID, kFileMembers.size()> fileMembers{DISPID_UNKNOWN, DISPID_UNKNOWN,
                                                      DISPID_UNKNOWN};
};

// Why the request is refused; "" when the rules let it through.
std::string PolicyRefusal(const GuardedMembers& guarded, DISPID member, Access access,
                          const nlohmann::json& args);

}  // namespace velsor::bridge
