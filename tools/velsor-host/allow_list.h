#pragma once
// The origins the user lets use the control from a browser, kept in bridge.db in the
// user's data folder. An origin is allowed or denied by the user's word only; one that
// was never named is refused like a denied one, with the command that would allow it.

#include <memory>
#include <string>
#include <vector>

#include "origin.h"
#include "platform/base/result.h"

namespace velsor::storage {
class Database;
}

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
  explicit AllowList(std::shared_ptr<storage::Database> database)
      : database_(std::move(database)) {}
  Result<bool> Record(const Origin& origin, Decision decision);

  std::shared_ptr<storage::Database> database_;
};

}  // namespace velsor::bridge
