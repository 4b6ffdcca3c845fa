#pragma once
// What the seam calls UserData, on POSIX: the connection to the user's database, made so by
// OpenUserData. The implementation reads and writes through it as through any connection.

#include "platform/base/storage/sqlite_db.h"
#include "platform/crypt/user_data.h"

namespace velsor::crypt {

class UserData final : public storage::Database {
 public:
  using storage::Database::Database;
};

}  // namespace velsor::crypt
