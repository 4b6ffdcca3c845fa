#include "control/dn_checks.h"

#include <algorithm>

#include "platform/crypt/dn_text.h"
#include "control/method_frame.h"

namespace velsor::control {

void CheckDnLength(std::u16string_view dn, std::u16string_view tooLong) {
  if (dn.size() > kMaxDnLength) Raise(status::kDnTooLong, tooLong);
}

bool DnIsValid(std::u16string_view dn) {
  return static_cast<std::size_t>(std::count(dn.begin(), dn.end(), u',')) <= kMaxDnCommas;
}

void ValidateDn(std::u16string_view dn) {
  if (!DnIsValid(dn)) Raise(status::kDnInvalid, messages::kDnInvalid);
}

void CheckDnSeparators(const ControlState& state, std::u16string_view dn) {
  if (state.DNspliter.empty()) Raise(status::kNoSeparator, messages::kNoSeparator);
  if (crypt::CountSeparators(dn, state.DNspliter) > kMaxDnSeparators) {
    Raise(status::kTooManySeparators, messages::kTooManySeparators);
  }
}

bool CheckSubjectDn(const ControlState& state, std::u16string_view dn,
                    const DnCheckMessages& messages) {
  CheckDnLength(dn, messages.tooLong);
  if (dn.empty()) {
    if (state.serverMode) Raise(status::kMissingInput, messages.requiredInServerMode);
    return false;
  }
  ValidateDn(dn);
  CheckDnSeparators(state, dn);
  return true;
}

}  // namespace velsor::control
