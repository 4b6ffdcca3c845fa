#include "allow_list.h"

#include "platform/base/storage/sqlite_db.h"
#include "platform/base/storage/velsor_home.h"

namespace velsor::bridge {
namespace {

constexpr char kBridgeFile[] = "bridge.db";
constexpr char kSchema[] =
    "CREATE TABLE IF NOT EXISTS origins ("
    " origin TEXT PRIMARY KEY,"
    " allowed INTEGER NOT NULL)";

}  // namespace

struct AllowList::Store {
  std::shared_ptr<storage::Database> database;
};

Result<AllowList> AllowList::Open() {
  auto path = storage::PrivateUserFile(kBridgeFile);
  if (!path) return path.error();
  auto database = storage::Database::Open(*path, kSchema);
  if (!database) return database.error();
  return AllowList(std::make_shared<Store>(Store{std::move(*database)}));
}

Decision AllowList::DecisionFor(const Origin& origin) const {
  // A store that cannot be read allows nothing.
  auto decision = storage::GuardDatabase([&]() -> Result<Decision> {
    auto query = store_->database->Prepare("SELECT allowed FROM origins WHERE origin = ?");
    query.Bind(1, origin.Text());
    if (!query.Step()) return Decision::Unknown;
    return query.Integer(0) != 0 ? Decision::Allowed : Decision::Denied;
  });
  return decision ? *decision : Decision::Denied;
}

Result<bool> AllowList::Record(const Origin& origin, Decision decision) {
  return storage::GuardDatabase([&]() -> Result<bool> {
    auto write = store_->database->Prepare(
        "INSERT INTO origins(origin, allowed) VALUES(?, ?)"
        " ON CONFLICT(origin) DO UPDATE SET allowed = excluded.allowed");
    write.Bind(1, origin.Text()).Bind(2, decision == Decision::Allowed ? 1 : 0).Run();
    return true;
  });
}

Result<std::vector<AllowListEntry>> AllowList::Entries() const {
  return storage::GuardDatabase([&]() -> Result<std::vector<AllowListEntry>> {
    std::vector<AllowListEntry> entries;
    auto query = store_->database->Prepare("SELECT origin, allowed FROM origins ORDER BY origin");
    while (query.Step()) {
      entries.push_back(
          {query.Text(0), query.Integer(1) != 0 ? Decision::Allowed : Decision::Denied});
    }
    return entries;
  });
}

}  // namespace velsor::bridge
