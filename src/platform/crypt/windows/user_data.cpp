// The system keeps the user's stores and keys; there is no database of ours to open, and
// a session keeps nothing.

#include "platform/crypt/user_data.h"

namespace velsor::crypt {

struct UserSession::Held {};

UserSession::UserSession() : held_(std::make_unique<Held>()) {}
UserSession::~UserSession() = default;

UserSessionScope::UserSessionScope(UserSession&) : previous_(nullptr) {}
UserSessionScope::~UserSessionScope() = default;

Result<std::shared_ptr<UserData>> OpenUserData() {
  return std::shared_ptr<UserData>();
}

UserDataSnapshot::UserDataSnapshot() = default;
UserDataSnapshot::~UserDataSnapshot() = default;

}  // namespace velsor::crypt
