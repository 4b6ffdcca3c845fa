#pragma once
// The origins the user lets use the control from a browser, kept in bridge.db in the
// user's data folder (on Windows under HKEY_CURRENT_USER\Software\Velsor\Bridge). An origin is allowed or denied by the user's word only; one that
// was never named is refused like a denied one, with the command that would allow it.

#include <memory>
#include <string>
#include <vector>

#include "origin.h"
#include "platform/base/result.h"

namespace velsor::bridge {

enum class Decision { Unknown, Allowed, Denied };

struct AllowListEntry {
  std::string origin;
  Decision decision;
};

class AllowList {
 public:
  static Result<AllowList> Open();

  Decision DecisionFor(const Origin& origin) const;
  // Refused for an origin that may never be served (see WhyNeverServed).
  Result<bool> Allow(const Origin& origin);
  Result<bool> Deny(const Origin& origin);
  Result<std::vector<AllowListEntry>> Entries() const;

 private:
  // Where the decisions are kept; each platform defines it.
  struct Store;
  explicit AllowList(std::shared_ptr<Store> store) : store_(std::move(store)) {}
  Result<bool> Record(const Origin& origin, Decision decision);

  std::shared_ptr<Store> store_;
};

}  // namespace velsor::bridge
