#pragma once
// A thin owner of SQLite connections and statements. Writers take the database lock at
// the start of their transaction and wait for other processes rather than fail. A
// connection compiles each statement once: a statement that is done with is reset and
// kept for the next Prepare of the same text.

#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/base/bytes.h"
#include "platform/base/result.h"
#include "platform/base/secret_bytes.h"

namespace velsor::storage {

// A connection's compiled statements that no one is using, by their text.
class StatementCache {
 public:
  using Idle = std::vector<sqlite3_stmt*>;

  StatementCache() = default;
  ~StatementCache();
  StatementCache(const StatementCache&) = delete;
  StatementCache& operator=(const StatementCache&) = delete;

  // The idle statements of that text; the list stays where it is while the cache lives.
  Idle& IdleOf(std::string_view sql);

 private:
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };
  std::unordered_map<std::string, Idle, TextHash, std::equal_to<>> idle_;
};

class Statement {
 public:
  // Finalised when dropped, or reset and put back among `idle` while `cache` lives.
  explicit Statement(sqlite3_stmt* statement, std::weak_ptr<StatementCache> cache = {},
                     StatementCache::Idle* idle = nullptr)
      : statement_(statement, Release{std::move(cache), idle}) {}

  Statement& Bind(int index, std::int64_t value);
  Statement& Bind(int index, std::string_view text);
  Statement& Bind(int index, ByteView blob);
  // True while there is a row to read; false at the end. Errors throw SqliteError.
  bool Step();
  void Run();

  std::int64_t Integer(int column) const;
  std::string Text(int column) const;
  Bytes Blob(int column) const;
  // For keys: the copy is wiped when it is dropped.
  SecretBytes SecretBlob(int column) const;
  // Nothing for NULL.
  std::optional<Bytes> OptionalBlob(int column) const;
  // A blob that holds UTF-16 code units in the machine's order.
  std::u16string Utf16Blob(int column) const;

 private:
  struct Release {
    std::weak_ptr<StatementCache> cache;
    StatementCache::Idle* idle = nullptr;
    void operator()(sqlite3_stmt* statement) const;
  };
  std::unique_ptr<sqlite3_stmt, Release> statement_;
};

// A failure of the database itself: busy past the timeout, full disk, corrupt file.
struct SqliteError {
  int code;
  std::string message;
};

class Database {
 public:
  struct Key {
    explicit Key() = default;
  };
  Database(Key, sqlite3* handle)
      : handle_(handle), statements_(std::make_shared<StatementCache>()) {}
  // What a connection is made as: a service may keep its own kind of Database (a class
  // derived from it) and make its connections so.
  using Make = std::shared_ptr<Database> (*)(Key, sqlite3* handle);
  static std::shared_ptr<Database> MakeDatabase(Key key, sqlite3* handle) {
    return std::make_shared<Database>(key, handle);
  }
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Opens (creating) the file. When the file's schema is older than `version`, `schema`
  // (statements that create what is missing) is applied, then `upgrade` fills what the
  // newer schema keeps, in the same transaction.
  static Result<std::shared_ptr<Database>> Open(const std::filesystem::path& path,
                                                std::string_view schema, std::int64_t version = 1,
                                                const std::function<void(Database&)>& upgrade = {},
                                                Make make = &MakeDatabase);

  // Opens an existing file for reading only: what another user's program keeps for this
  // one to read.
  static Result<std::shared_ptr<Database>> OpenReadOnly(const std::filesystem::path& path);

  Statement Prepare(std::string_view sql);
  void Execute(std::string_view sql);

  // BEGIN IMMEDIATE; rolled back unless committed.
  class Transaction {
   public:
    explicit Transaction(Database& database);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

   private:
    Database& database_;
    bool done_ = false;
  };

  // One snapshot for several reads: the file is locked and its pages cached once, not per
  // statement. Its reads are held (HoldReads) until it ends, unless a write or a dialog
  // ends them first; inside reads held already, it adds nothing.
  class ReadTransaction {
   public:
    explicit ReadTransaction(Database& database);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

   private:
    Database& database_;
    bool begun_ = false;
  };

  // Until ReleaseReads, this connection's reads share one read transaction: the file is
  // locked once for them rather than once a statement. A write on it, or a dialog on this
  // thread (BeforeUserWait), ends the sharing first, so a writer, here or in another
  // process, never waits on it for long. One connection a thread holds its reads: holding
  // on another lets go of the first. False when it held them already or could not begin.
  bool HoldReads();
  void ReleaseReads();

  std::int64_t SchemaVersion();
  // Changes when another connection commits; unchanged by this one's own commits.
  std::int64_t DataVersion();
  // Rows this connection inserted, changed or deleted since it opened.
  std::int64_t TotalChanges() const { return sqlite3_total_changes64(handle_.get()); }
  std::int64_t LastInsertId() const { return sqlite3_last_insert_rowid(handle_.get()); }
  // Rows the last statement inserted, changed or deleted.
  int Changes() const { return sqlite3_changes(handle_.get()); }

 private:
  friend class Statement;
  bool Owns(const sqlite3* handle) const { return handle_.get() == handle; }
  struct Close {
    void operator()(sqlite3* handle) const { sqlite3_close_v2(handle); }
  };
  [[noreturn]] void Fail() const;
  // A connection in `mode` (SQLite's open flags), waiting for other writers.
  static Result<std::shared_ptr<Database>> Connect(const std::filesystem::path& path, int mode,
                                                   Make make = &MakeDatabase);

  std::unique_ptr<sqlite3, Close> handle_;
  // Declared after the handle, so that its statements are finalised before the close.
  std::shared_ptr<StatementCache> statements_;
};

// Runs `work`, turning database failures into an error result.
template <class Work>
auto GuardDatabase(Work&& work) -> decltype(work()) {
  try {
    return work();
  } catch (const SqliteError& error) {
    return Failure(E_FAIL, "user data: " + error.message);
  }
}

}  // namespace velsor::storage
