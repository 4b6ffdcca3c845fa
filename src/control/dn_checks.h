#pragma once
// The checks every method applies to a subject DN argument: one DN, or up to five
// alternatives joined by the DN separator.

#include <string_view>

#include "control/control_state.h"
#include "control/messages.h"

namespace velsor::control {

inline constexpr std::size_t kMaxDnLength = 32768;
inline constexpr std::size_t kMaxDnCommas = 255;
inline constexpr std::size_t kMaxDnSeparators = 4;
// The separator is held in an eight-character buffer with its terminator.
inline constexpr std::size_t kMaxSeparatorLength = 7;

struct DnCheckMessages {
  std::u16string_view tooLong = messages::kDnTooLong;
  // Raised when no DN is given in server mode.
  std::u16string_view requiredInServerMode = messages::kDefaultDnRequired;
};

// The single checks, for methods that order them differently: a DN of more than 32768
// characters (-10056 with `tooLong`); one with 256 or more commas (-10057); the separator
// unset (-10024) or found more than four times (-10025).
void CheckDnLength(std::u16string_view dn, std::u16string_view tooLong = messages::kDnTooLong);
void ValidateDn(std::u16string_view dn);
// The test ValidateDn makes, for the members that report it outside the frame.
bool DnIsValid(std::u16string_view dn);
void CheckDnSeparators(const ControlState& state, std::u16string_view dn);

// Raises the first failing check; answers whether a DN was given (an empty argument is
// none, and outside server mode leaves the choice to the chooser dialog).
bool CheckSubjectDn(const ControlState& state, std::u16string_view dn,
                    const DnCheckMessages& messages = {});

}  // namespace velsor::control
