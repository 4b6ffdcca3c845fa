#pragma once
// A thin owner of SQLite connections and statements. Writers take the database lock at
// the start of their transaction and wait for other processes rather than fail.

#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/bytes.h"
#include "platform/base/result.h"
#include "platform/base/secret_bytes.h"

namespace velsor::storage {

class Statement {
 public:
  explicit Statement(sqlite3_stmt* statement) : statement_(statement) {}

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
  struct Finalize {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
  };
  std::unique_ptr<sqlite3_stmt, Finalize> statement_;
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
  Database(Key, sqlite3* handle) : handle_(handle) {}

  // Opens (creating) the file. When the file's schema is older than `version`, `schema`
  // (statements that create what is missing) is applied, then `upgrade` fills what the
  // newer schema keeps, in the same transaction.
  static Result<std::shared_ptr<Database>> Open(const std::filesystem::path& path,
                                                std::string_view schema, std::int64_t version = 1,
                                                const std::function<void(Database&)>& upgrade = {});

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
  // statement. Nothing that waits for a person may run inside one.
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

  std::int64_t SchemaVersion();
  std::int64_t LastInsertId() const { return sqlite3_last_insert_rowid(handle_.get()); }
  // Rows the last statement inserted, changed or deleted.
  int Changes() const { return sqlite3_changes(handle_.get()); }

 private:
  struct Close {
    void operator()(sqlite3* handle) const { sqlite3_close_v2(handle); }
  };
  [[noreturn]] void Fail() const;

  std::unique_ptr<sqlite3, Close> handle_;
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
