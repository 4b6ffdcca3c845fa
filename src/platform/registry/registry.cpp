#include "platform/registry/registry.h"

#include <algorithm>
#include <array>

#include "platform/base/ascii_case.h"
#include "platform/base/storage/machine_data.h"
#include "platform/base/storage/sqlite_db.h"
#include "platform/base/storage/velsor_home.h"
#include "platform/codepage/utf.h"

namespace velsor::registry {
namespace {

using codepage::Utf16ToUtf8;
using codepage::Utf8ToUtf16;
using storage::GuardDatabase;

// Keys are rows with their full path from the machine or user root; the path's case is
// kept as created and compared without it (ASCII case, as registry names are used here).
constexpr char kSchema[] = R"sql(
CREATE TABLE IF NOT EXISTS registry_keys (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  path TEXT NOT NULL UNIQUE COLLATE NOCASE
);
CREATE TABLE IF NOT EXISTS registry_values (
  key INTEGER NOT NULL REFERENCES registry_keys (id) ON DELETE CASCADE,
  name TEXT NOT NULL COLLATE NOCASE,
  type INTEGER NOT NULL,
  data TEXT NOT NULL,
  PRIMARY KEY (key, name)
);
)sql";

constexpr char kRegistryFile[] = "registry.db";

// The full path of a key: its root's machine-level name, then its parts without empty
// pieces, so that "A\\B\\" and "A\\\\B" name the same key as "A\\B".
std::string FullPath(Root root, std::u16string_view path) {
  std::string full;
  switch (root) {
    case Root::ClassesRoot:
      full = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes";
      break;
    case Root::CurrentUser:
      full = "HKEY_CURRENT_USER";
      break;
    case Root::LocalMachine:
      full = "HKEY_LOCAL_MACHINE";
      break;
  }
  std::size_t from = 0;
  while (from <= path.size()) {
    const std::size_t end = std::min(path.find(u'\\', from), path.size());
    if (end > from) {
      full += '\\';
      full += Utf16ToUtf8(path.substr(from, end - from));
    }
    from = end + 1;
  }
  return full;
}

std::optional<std::int64_t> KeyId(storage::Database& database, const std::string& path) {
  auto query = database.Prepare("SELECT id FROM registry_keys WHERE path = ?");
  query.Bind(1, path);
  if (!query.Step()) return std::nullopt;
  return query.Integer(0);
}

std::int64_t EnsureKey(storage::Database& database, const std::string& path) {
  // Every ancestor below the root is a key of its own.
  for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) {
    database.Prepare("INSERT OR IGNORE INTO registry_keys (path) VALUES (?)")
        .Bind(1, std::string_view(path).substr(0, at))
        .Run();
  }
  database.Prepare("INSERT OR IGNORE INTO registry_keys (path) VALUES (?)").Bind(1, path).Run();
  return *KeyId(database, path);
}

Error NotFound(const std::string& what) {
  return Failure(ERROR_FILE_NOT_FOUND_HR, what + " not found");
}

}  // namespace

// The user's registry.db holds HKEY_CURRENT_USER and the user's own keys under the other
// roots; the machine's holds what was registered for every user. Reading, the user's key
// wins; writing goes to the user's file, or to the machine's for a machine-wide
// registration.
struct Registry::Store {
  std::shared_ptr<storage::Database> user;     // none while registering for the machine
  std::shared_ptr<storage::Database> machine;  // none when nothing is registered for all
  bool machineWide = false;

  // Where a key of `root` is written; nothing for the current user of a machine-wide
  // registration, which has none.
  storage::Database* Writer(Root root) const {
    return root != Root::CurrentUser && machineWide ? machine.get() : user.get();
  }
  std::vector<storage::Database*> Readers(Root root) const {
    std::vector<storage::Database*> readers;
    if (root == Root::CurrentUser || !machineWide) readers.push_back(user.get());
    if (root != Root::CurrentUser && machine) readers.push_back(machine.get());
    std::erase(readers, nullptr);
    return readers;
  }
};

namespace {

Error NoCurrentUser() {
  return Failure(E_ACCESSDENIED, "a machine-wide registration has no current user");
}

}  // namespace

Result<Registry> Registry::Open(View view) {
  auto store = std::make_shared<Store>();
  store->machineWide = storage::MachineWide() && view == View::Merged;
  if (store->machineWide) {
    // Root's own data folder is left alone: nothing of the machine's goes there.
    auto machinePath = storage::MachineFileToWrite(kRegistryFile);
    if (!machinePath) return machinePath.error();
    auto machine = storage::Database::Open(*machinePath, kSchema);
    if (!machine) return machine.error();
    store->machine = std::move(*machine);
    return Registry(std::move(store));
  }
  if (view != View::MachineOnly) {
    auto path = storage::PrivateUserFile(kRegistryFile);
    if (!path) return path.error();
    auto user = storage::Database::Open(*path, kSchema);
    if (!user) return user.error();
    store->user = std::move(*user);
  }
  if (view == View::UserOnly) return Registry(std::move(store));
  if (auto machinePath = storage::MachineFileToRead(kRegistryFile); machinePath && *machinePath) {
    // A machine registry that cannot be trusted or read is as if there were none: the
    // user's own keys still work, and `velsor doctor` names the file.
    if (auto machine = storage::Database::OpenReadOnly(**machinePath)) {
      store->machine = std::move(*machine);
    }
  }
  return Registry(std::move(store));
}

Result<Done> Registry::CheckWritable() {
  return storage::GuardDatabase([&]() -> Result<Done> {
    // Taking the write lock is what fails on a file that cannot be written; nothing is
    // changed.
    storage::Database* database = store_->Writer(Root::LocalMachine);
    if (database == nullptr) return NoCurrentUser();
    storage::Database::Transaction transaction(*database);
    database->Execute("SELECT count(*) FROM registry_keys");
    return Done{};
  });
}

Result<Done> Registry::CreateKey(Root root, std::u16string_view path) {
  return storage::GuardDatabase([&]() -> Result<Done> {
    storage::Database* database = store_->Writer(root);
    if (database == nullptr) return NoCurrentUser();
    storage::Database::Transaction transaction(*database);
    EnsureKey(*database, FullPath(root, path));
    transaction.Commit();
    return Done{};
  });
}

bool Registry::KeyExists(Root root, std::u16string_view path) {
  auto found = storage::GuardDatabase([&]() -> Result<bool> {
    const std::string full = FullPath(root, path);
    for (storage::Database* database : store_->Readers(root)) {
      if (KeyId(*database, full)) return true;
    }
    return false;
  });
  return found && *found;
}

Result<std::vector<std::u16string>> Registry::SubKeys(Root root, std::u16string_view path) {
  return storage::GuardDatabase([&]() -> Result<std::vector<std::u16string>> {
    std::string parent = FullPath(root, path);
    parent += '\\';
    std::vector<std::u16string> names;
    for (storage::Database* database : store_->Readers(root)) {
      auto query = database->Prepare("SELECT path FROM registry_keys ORDER BY id");
      while (query.Step()) {
        const std::string child = query.Text(0);
        if (!StartsWithIgnoringAsciiCase<char>(child, parent)) continue;
        const std::string_view rest = std::string_view(child).substr(parent.size());
        if (rest.empty() || rest.find('\\') != std::string_view::npos) continue;
        const std::u16string name = Utf8ToUtf16(rest);
        const bool seen = std::any_of(names.begin(), names.end(), [&](const std::u16string& n) {
          return SameIgnoringAsciiCase<char16_t>(n, name);
        });
        if (!seen) names.push_back(name);
      }
    }
    return names;
  });
}

Result<Done> Registry::DeleteTree(Root root, std::u16string_view path) {
  return storage::GuardDatabase([&]() -> Result<Done> {
    const std::string full = FullPath(root, path);
    storage::Database* writer = store_->Writer(root);
    if (writer == nullptr) return NoCurrentUser();
    storage::Database& database = *writer;
    storage::Database::Transaction transaction(database);
    if (!KeyId(database, full)) {
      if (KeyExists(root, path)) {
        return Failure(E_ACCESSDENIED,
                       "the key is the machine's: only a machine-wide "
                       "unregistration removes it");
      }
      return NotFound("key");
    }
    std::string below = full;
    below += '\\';
    std::vector<std::int64_t> doomed;
    auto query = database.Prepare("SELECT id, path FROM registry_keys");
    while (query.Step()) {
      const std::string key = query.Text(1);
      if (key.size() == full.size() ? StartsWithIgnoringAsciiCase<char>(key, full)
                                    : StartsWithIgnoringAsciiCase<char>(key, below)) {
        doomed.push_back(query.Integer(0));
      }
    }
    for (std::int64_t id : doomed) {
      database.Prepare("DELETE FROM registry_values WHERE key = ?").Bind(1, id).Run();
      database.Prepare("DELETE FROM registry_keys WHERE id = ?").Bind(1, id).Run();
    }
    transaction.Commit();
    return Done{};
  });
}

Result<Done> Registry::SetValue(Root root, std::u16string_view path, std::u16string_view name,
                                const RegistryValue& value) {
  return storage::GuardDatabase([&]() -> Result<Done> {
    storage::Database* database = store_->Writer(root);
    if (database == nullptr) return NoCurrentUser();
    storage::Database::Transaction transaction(*database);
    const std::int64_t key = EnsureKey(*database, FullPath(root, path));
    database
        ->Prepare(
            "INSERT OR REPLACE INTO registry_values (key, name, type, data) VALUES (?, ?, ?, ?)")
        .Bind(1, key)
        .Bind(2, Utf16ToUtf8(name))
        .Bind(3, static_cast<std::int64_t>(value.type))
        .Bind(4, Utf16ToUtf8(value.data))
        .Run();
    transaction.Commit();
    return Done{};
  });
}

Result<RegistryValue> Registry::QueryValue(Root root, std::u16string_view path,
                                           std::u16string_view name) {
  return storage::GuardDatabase([&]() -> Result<RegistryValue> {
    const std::string full = FullPath(root, path);
    bool keyFound = false;
    for (storage::Database* database : store_->Readers(root)) {
      const auto key = KeyId(*database, full);
      if (!key) continue;
      keyFound = true;
      auto query =
          database->Prepare("SELECT type, data FROM registry_values WHERE key = ? AND name = ?");
      query.Bind(1, *key).Bind(2, Utf16ToUtf8(name));
      if (query.Step()) {
        return RegistryValue{static_cast<DWORD>(query.Integer(0)), Utf8ToUtf16(query.Text(1))};
      }
    }
    return NotFound(keyFound ? "value" : "key");
  });
}

Result<Done> Registry::DeleteValue(Root root, std::u16string_view path, std::u16string_view name) {
  return storage::GuardDatabase([&]() -> Result<Done> {
    storage::Database* database = store_->Writer(root);
    if (database == nullptr) return NoCurrentUser();
    const auto key = KeyId(*database, FullPath(root, path));
    if (!key) return NotFound("key");
    database->Prepare("DELETE FROM registry_values WHERE key = ? AND name = ?")
        .Bind(1, *key)
        .Bind(2, Utf16ToUtf8(name))
        .Run();
    return Done{};
  });
}

}  // namespace velsor::registry
