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

Result<AllowList> AllowList::Open() {
  auto path = storage::PrivateUserFile(kBridgeFile);
  if (!path) return path.error();
  auto database = storage::Database::Open(*path, kSchema);
  if (!database) return database.error();
  return AllowList(std::move(*database));
}

Decision AllowList::DecisionFor(const Origin& origin) const {
  // A store that cannot be read allows nothing.
  auto decision = storage::GuardDatabase([&]() -> Result<Decision> {
    auto query = database_->Prepare("SELECT allowed FROM origins WHERE origin = ?");
    query.Bind(1, origin.Text());
    if (!query.Step()) return Decision::Unknown;
    return query.Integer(0) != 0 ? Decision::Allowed : Decision::Denied;
  });
  return decision ? *decision : Decision::Denied;
}

Result<bool> AllowList::Record(const Origin& origin, Decision decision) {
  return storage::GuardDatabase([&]() -> Result<bool> {
    auto write = database_->Prepare(
        "INSERT INTO origins(origin, allowed) VALUES(?, ?)"
        " ON CONFLICT(origin) DO UPDATE SET allowed = excluded.allowed");
    write.Bind(1, origin.Text()).Bind(2, decision == Decision::Allowed ? 1 : 0).Run();
    return true;
  });
}

Result<bool> AllowList::Allow(const Origin& origin) {
  if (const std::string why = WhyNeverServed(origin); !why.empty()) {
    return Failure(E_INVALIDARG, origin.Text() + " cannot be allowed: " + why);
  }
  return Record(origin, Decision::Allowed);
}

Result<bool> AllowList::Deny(const Origin& origin) { return Record(origin, Decision::Denied); }

Result<std::vector<AllowListEntry>> AllowList::Entries() const {
  return storage::GuardDatabase([&]() -> Result<std::vector<AllowListEntry>> {
    std::vector<AllowListEntry> entries;
    auto query = database_->Prepare("SELECT origin, allowed FROM origins ORDER BY origin");
    while (query.Step()) {
      entries.push_back(
          {query.Text(0), query.Integer(1) != 0 ? Decision::Allowed : Decision::Denied});
    }
    return entries;
  });
}

}  // namespace velsor::bridge
