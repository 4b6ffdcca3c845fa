// What allowing and denying mean whatever keeps the decisions.

#include "allow_list.h"

namespace velsor::bridge {

Result<bool> AllowList::Allow(const Origin& origin) {
  if (const std::string why = WhyNeverServed(origin); !why.empty()) {
    return Failure(E_INVALIDARG, origin.Text() + " cannot be allowed: " + why);
  }
  return Record(origin, Decision::Allowed);
}

Result<bool> AllowList::Deny(const Origin& origin) { return Record(origin, Decision::Denied); }

}  // namespace velsor::bridge
