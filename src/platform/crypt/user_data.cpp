#include "platform/crypt/user_data.h"

#include "platform/base/storage/sqlite_db.h"
#include "platform/base/storage/velsor_home.h"
#include "platform/crypt/name_records.h"

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

}  // namespace

Result<std::shared_ptr<storage::Database>> OpenCertStoreDatabase() {
  auto path = storage::PrivateUserFile(kCertStoreFile);
  if (!path) return path.error();
  return storage::Database::Open(*path, kSchema, kSchemaVersion, RecordAllCertNames);
}

}  // namespace velsor::crypt
