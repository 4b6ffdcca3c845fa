#pragma once
// The origins the user lets use the control from a browser, kept in bridge.db in the
// user's data folder. An origin is allowed or denied by the user's word only; one that
// was never named is refused like a denied one, with the command that would allow it.

#include <memory>
#include <string>
#include <vector>

#include "origin.h"
#include "platform/crypt/crypt_result.h"

namespace velsor::crypt {
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
  static crypt::CryptResult<AllowList> Open();

  Decision DecisionFor(const Origin& origin) const;
  // Refused for an origin that may never be served (see WhyNeverServed).
  crypt::CryptResult<bool> Allow(const Origin& origin);
  crypt::CryptResult<bool> Deny(const Origin& origin);
  crypt::CryptResult<std::vector<AllowListEntry>> Entries() const;

 private:
  explicit AllowList(std::shared_ptr<crypt::Database> database) : database_(std::move(database)) {}
  crypt::CryptResult<bool> Record(const Origin& origin, Decision decision);

  std::shared_ptr<crypt::Database> database_;
};

}  // namespace velsor::bridge
