#pragma once
// The 59 members of the scripting interface: the one description that dispatch, the type
// library and the documentation are all built from.

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "control/ombrel_tolvane_velsor.h"
#include "platform/com/variant.h"

namespace velsor::control {

enum class MemberKind { Method, PropertyGet, PropertyPut };

inline constexpr std::size_t kMaxParams = 8;
inline constexpr std::size_t kMemberCount = 59;
// IUnknown and IDispatch occupy the first slots of the interface.
inline constexpr std::size_t kFirstMemberSlot = 7;

// Calls the member's slot on `target` with arguments already coerced to its parameter
// types, in declaration order. With `result` null the member is given no output pointer.
using SlotCall = HRESULT (*)(IOmbrelTolvaneVelsor20_64& target, std::span<VARIANT> args,
                             VARIANT* result);

struct MemberInfo {
  DISPID dispid;
  std::string_view name;
  MemberKind kind;
  std::size_t paramCount;  // input parameters; the result is not counted
  std::array<std::string_view, kMaxParams> paramNames;  // empty for property values
  std::array<VARTYPE, kMaxParams> paramTypes;
  VARTYPE resultType;  // VT_EMPTY when the member gives no result
  std::string_view resultName;
  std::string_view helpString;  // UTF-8
  SlotCall call;
  std::size_t (*vtableSlot)();  // index of the member's slot in the interface's table
};

// In slot order.
std::span<const MemberInfo> Members();

// The member answering `dispid` for the kind of access the caller asks for.
const MemberInfo* FindMember(DISPID dispid, MemberKind kind);

// Names compare without regard to case, as automation names do.
std::optional<DISPID> FindDispid(std::u16string_view name);

// The dispatch identifier of a named parameter is its position among the member's inputs.
std::optional<DISPID> FindParameter(DISPID member, std::u16string_view name);

}  // namespace velsor::control
