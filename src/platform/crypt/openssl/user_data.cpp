#include "platform/crypt/user_data.h"

#include <cstdlib>
#include <string>

#include "platform/base/storage/velsor_home.h"
#include "platform/crypt/openssl/name_records.h"
#include "platform/crypt/openssl/session_caches.h"
#include "platform/crypt/openssl/user_data_connection.h"

namespace velsor::crypt {
namespace {

// Rows are never reordered: a store enumerates its certificates by id, which is the order
// in which they were added.
constexpr char kSchema[] = R"sql(
CREATE TABLE IF NOT EXISTS certificates (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  store TEXT NOT NULL,
  encoded BLOB NOT NULL
);
CREATE INDEX IF NOT EXISTS certificates_by_store ON certificates (store, id);
CREATE TABLE IF NOT EXISTS certificate_properties (
  certificate INTEGER NOT NULL REFERENCES certificates (id) ON DELETE CASCADE,
  property INTEGER NOT NULL,
  value BLOB NOT NULL,
  PRIMARY KEY (certificate, property)
);
CREATE TABLE IF NOT EXISTS certificate_names (
  certificate INTEGER PRIMARY KEY REFERENCES certificates (id) ON DELETE CASCADE,
  digest BLOB NOT NULL,
  subject BLOB NOT NULL,
  issuer BLOB NOT NULL,
  subject_simple BLOB NOT NULL,
  issuer_simple BLOB NOT NULL,
  serial BLOB NOT NULL,
  encoded_issuer BLOB NOT NULL
);
CREATE INDEX IF NOT EXISTS certificate_names_by_digest ON certificate_names (digest);
CREATE TABLE IF NOT EXISTS crls (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  store TEXT NOT NULL,
  encoded BLOB NOT NULL
);
CREATE TABLE IF NOT EXISTS key_containers (
  name TEXT PRIMARY KEY
);
CREATE TABLE IF NOT EXISTS container_keys (
  container TEXT NOT NULL REFERENCES key_containers (name),
  key_spec INTEGER NOT NULL CHECK (key_spec IN (1, 2)),
  pkcs8 BLOB NOT NULL,
  PRIMARY KEY (container, key_spec)
);
CREATE TABLE IF NOT EXISTS token_modules (
  path TEXT PRIMARY KEY,
  label TEXT NOT NULL DEFAULT ''
);
)sql";

// Version 2 keeps the names searches compare beside each certificate. Whenever the rules
// that make those texts change, the version goes up and every certificate's names are
// recorded again. Version 3 adds the user's token modules.
constexpr std::int64_t kSchemaVersion = 3;

Result<std::shared_ptr<UserData>> OpenNewConnection() {
  auto path = storage::PrivateUserFile(kCertStoreFile);
  if (!path) return path.error();
  const auto make = [](storage::Database::Key key, sqlite3* handle) {
    return std::shared_ptr<storage::Database>(std::make_shared<UserData>(key, handle));
  };
  auto opened = storage::Database::Open(*path, kSchema, kSchemaVersion, RecordAllCertNames, make);
  if (!opened) return opened.error();
  return std::static_pointer_cast<UserData>(std::move(*opened));
}

// The variables that choose the user's data folder: a session whose folder they no longer
// name opens the new one.
std::string DataFolderChoice() {
  std::string choice;
  for (const char* variable : {"VELSOR_HOME", "XDG_DATA_HOME", "HOME"}) {
    const char* value = std::getenv(variable);
    choice += value != nullptr ? value : "";
    choice += '\0';
  }
  return choice;
}

// The session of the scope active on this thread: a plain pointer, since a thread-local
// object with a destructor would keep this library from ever being unloaded.
thread_local UserSession* activeSession = nullptr;

}  // namespace

struct UserSession::Held {
  std::string folderChoice;
  std::shared_ptr<UserData> connection;
  SessionCaches caches;
};

SessionCaches* ActiveSessionCaches() {
  return activeSession != nullptr ? &activeSession->held().caches : nullptr;
}

UserSession::UserSession() : held_(std::make_unique<Held>()) {}
UserSession::~UserSession() = default;

UserSessionScope::UserSessionScope(UserSession& session) : previous_(activeSession) {
  activeSession = &session;
}

UserSessionScope::~UserSessionScope() { activeSession = previous_; }

Result<std::shared_ptr<UserData>> OpenUserData() {
  if (activeSession == nullptr) return OpenNewConnection();
  UserSession::Held& held = activeSession->held();
  std::string choice = DataFolderChoice();
  if (!held.connection || held.folderChoice != choice) {
    auto opened = OpenNewConnection();
    if (!opened) return opened.error();
    held.connection = std::move(*opened);
    held.folderChoice = std::move(choice);
  }
  return held.connection;
}

UserDataSnapshot::UserDataSnapshot() {
  if (activeSession == nullptr) return;
  auto database = OpenUserData();
  if (database && (*database)->HoldReads()) held_ = std::move(*database);
}

UserDataSnapshot::~UserDataSnapshot() {
  if (held_) held_->ReleaseReads();
}

}  // namespace velsor::crypt
