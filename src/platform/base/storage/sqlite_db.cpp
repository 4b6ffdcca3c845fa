#include "platform/base/storage/sqlite_db.h"

#include <cstring>
#include <new>

#include "platform/base/user_wait.h"

namespace velsor::storage {
namespace {

// Other processes may hold the lock for a moment (an import, a registration); wait.
constexpr int kBusyTimeoutMs = 15000;

[[noreturn]] void Throw(sqlite3* handle) {
  throw SqliteError{sqlite3_extended_errcode(handle), sqlite3_errmsg(handle)};
}

// The connection whose reads share one transaction on this thread: a plain pointer, cleared
// by the connection's release and by its destructor.
thread_local Database* readsHeldHere = nullptr;

void ReleaseReadsHeldHere() {
  if (readsHeldHere != nullptr) readsHeldHere->ReleaseReads();
}

// Nothing was written in a held read, so ending it either way loses nothing.
void EndRead(sqlite3* handle) {
  if (sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

}  // namespace

StatementCache::~StatementCache() {
  for (auto& [text, statements] : idle_) {
    for (sqlite3_stmt* statement : statements) sqlite3_finalize(statement);
  }
}

StatementCache::Idle& StatementCache::IdleOf(std::string_view sql) {
  const auto found = idle_.find(sql);
  if (found != idle_.end()) return found->second;
  return idle_.try_emplace(std::string(sql)).first->second;
}

// A statement kept for later must hold no lock and no value of this use: it is reset
// (which ends its read) and its bindings cleared.
void Statement::Release::operator()(sqlite3_stmt* statement) const {
  if (auto kept = cache.lock(); kept && idle != nullptr) {
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    try {
      idle->push_back(statement);
      return;
    } catch (const std::bad_alloc&) {
    }
  }
  sqlite3_finalize(statement);
}

Statement& Statement::Bind(int index, std::int64_t value) {
  if (sqlite3_bind_int64(statement_.get(), index, value) != SQLITE_OK) {
    Throw(sqlite3_db_handle(statement_.get()));
  }
  return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
  if (sqlite3_bind_text64(statement_.get(), index, text.data(), text.size(), SQLITE_TRANSIENT,
                          SQLITE_UTF8) != SQLITE_OK) {
    Throw(sqlite3_db_handle(statement_.get()));
  }
  return *this;
}

Statement& Statement::Bind(int index, ByteView blob) {
  static const std::uint8_t kEmpty = 0;
  if (sqlite3_bind_blob64(statement_.get(), index, blob.empty() ? &kEmpty : blob.data(),
                          blob.size(), SQLITE_TRANSIENT) != SQLITE_OK) {
    Throw(sqlite3_db_handle(statement_.get()));
  }
  return *this;
}

bool Statement::Step() {
  // A write never joins the reads held on its connection: it commits on its own, as it
  // would without them, and never waits to upgrade a lock others are queued behind.
  if (readsHeldHere != nullptr && readsHeldHere->Owns(sqlite3_db_handle(statement_.get())) &&
      !sqlite3_stmt_readonly(statement_.get())) {
    readsHeldHere->ReleaseReads();
  }
  const int status = sqlite3_step(statement_.get());
  if (status == SQLITE_ROW) return true;
  if (status == SQLITE_DONE) return false;
  Throw(sqlite3_db_handle(statement_.get()));
}

void Statement::Run() {
  while (Step()) {
  }
}

std::int64_t Statement::Integer(int column) const {
  return sqlite3_column_int64(statement_.get(), column);
}

std::string Statement::Text(int column) const {
  const auto* text = sqlite3_column_text(statement_.get(), column);
  const int size = sqlite3_column_bytes(statement_.get(), column);
  return text == nullptr
             ? std::string()
             : std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
}

Bytes Statement::Blob(int column) const {
  const auto* blob =
      static_cast<const std::uint8_t*>(sqlite3_column_blob(statement_.get(), column));
  const int size = sqlite3_column_bytes(statement_.get(), column);
  return blob == nullptr ? Bytes() : Bytes(blob, blob + size);
}

SecretBytes Statement::SecretBlob(int column) const {
  const auto* blob =
      static_cast<const std::uint8_t*>(sqlite3_column_blob(statement_.get(), column));
  const int size = sqlite3_column_bytes(statement_.get(), column);
  return blob == nullptr ? SecretBytes() : SecretBytes(blob, blob + size);
}

std::optional<Bytes> Statement::OptionalBlob(int column) const {
  if (sqlite3_column_type(statement_.get(), column) == SQLITE_NULL) return std::nullopt;
  return Blob(column);
}

std::u16string Statement::Utf16Blob(int column) const {
  const auto* blob = static_cast<const char*>(sqlite3_column_blob(statement_.get(), column));
  const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement_.get(), column));
  std::u16string text(size / sizeof(char16_t), u'\0');
  if (blob != nullptr && !text.empty()) std::memcpy(text.data(), blob, text.size() * 2);
  return text;
}

Result<std::shared_ptr<Database>> Database::Open(const std::filesystem::path& path,
                                                 std::string_view schema, std::int64_t version,
                                                 const std::function<void(Database&)>& upgrade,
                                                 Make make) {
  auto opened = Connect(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, make);
  if (!opened) return opened.error();
  std::shared_ptr<Database> database = std::move(*opened);
  return GuardDatabase([&]() -> Result<std::shared_ptr<Database>> {
    database->Execute("PRAGMA foreign_keys = ON");
    // The schema is written once, by whichever process comes first; later opens only read
    // its version, so opening takes no write lock.
    if (database->SchemaVersion() < version) {
      Transaction transaction(*database);
      if (database->SchemaVersion() < version) {
        database->Execute(schema);
        if (upgrade) upgrade(*database);
        database->Execute("PRAGMA user_version = " + std::to_string(version));
      }
      transaction.Commit();
    }
    return database;
  });
}

Result<std::shared_ptr<Database>> Database::OpenReadOnly(const std::filesystem::path& path) {
  return Connect(path, SQLITE_OPEN_READONLY);
}

Result<std::shared_ptr<Database>> Database::Connect(const std::filesystem::path& path, int mode,
                                                    Make make) {
  sqlite3* raw = nullptr;
  const int status = sqlite3_open_v2(path.c_str(), &raw,
                                     mode | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX, nullptr);
  auto database = make(Key{}, raw);
  if (status != SQLITE_OK) {
    return Failure(E_FAIL, "cannot open " + path.string() + ": " +
                               (raw != nullptr ? sqlite3_errmsg(raw) : "out of memory"));
  }
  sqlite3_busy_timeout(raw, kBusyTimeoutMs);
  return database;
}

Statement Database::Prepare(std::string_view sql) {
  StatementCache::Idle& idle = statements_->IdleOf(sql);
  if (!idle.empty()) {
    sqlite3_stmt* kept = idle.back();
    idle.pop_back();
    return Statement(kept, statements_, &idle);
  }
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v3(handle_.get(), sql.data(), static_cast<int>(sql.size()),
                         SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
    Fail();
  }
  return Statement(statement, statements_, &idle);
}

void Database::Execute(std::string_view sql) {
  // Scripts here write or begin transactions of their own.
  ReleaseReads();
  const std::string script(sql);
  if (sqlite3_exec(handle_.get(), script.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail();
}

void Database::Fail() const { Throw(handle_.get()); }

Database::~Database() {
  if (readsHeldHere == this) {
    readsHeldHere = nullptr;
    WithdrawLetGo(&ReleaseReadsHeldHere);
  }
}

bool Database::HoldReads() {
  if (readsHeldHere == this) return false;
  ReleaseReadsHeldHere();
  if (!sqlite3_get_autocommit(handle_.get())) return false;
  if (sqlite3_exec(handle_.get(), "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
  readsHeldHere = this;
  LetGoOnUserWait(&ReleaseReadsHeldHere);
  return true;
}

void Database::ReleaseReads() {
  if (readsHeldHere != this) return;
  readsHeldHere = nullptr;
  WithdrawLetGo(&ReleaseReadsHeldHere);
  EndRead(handle_.get());
}

std::int64_t Database::SchemaVersion() {
  auto query = Prepare("PRAGMA user_version");
  return query.Step() ? query.Integer(0) : 0;
}

std::int64_t Database::DataVersion() {
  auto query = Prepare("PRAGMA data_version");
  return query.Step() ? query.Integer(0) : 0;
}

Database::Transaction::Transaction(Database& database) : database_(database) {
  database_.Execute("BEGIN IMMEDIATE");
}

Database::Transaction::~Transaction() {
  if (!done_) sqlite3_exec(database_.handle_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

// Without the snapshot the reads still work, each in its own transaction, so a failure to
// begin one is no failure of the reads.
Database::ReadTransaction::ReadTransaction(Database& database)
    : database_(database), begun_(database.HoldReads()) {}

Database::ReadTransaction::~ReadTransaction() {
  if (begun_) database_.ReleaseReads();
}

void Database::Transaction::Commit() {
  database_.Execute("COMMIT");
  done_ = true;
}

}  // namespace velsor::storage
