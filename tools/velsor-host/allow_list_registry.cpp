// On Windows the decisions are the user's registry keys, one per origin:
// HKEY_CURRENT_USER\Software\Velsor\Bridge\Origins\<origin>, its default value "allowed" or
// "denied".

#include "allow_list.h"

#include "platform/codepage/utf.h"
#include "platform/registry/registry.h"

namespace velsor::bridge {
namespace {

constexpr std::u16string_view kOrigins = u"Software\\Velsor\\Bridge\\Origins";

std::u16string KeyOf(const std::string& origin) {
  return std::u16string(kOrigins) + u"\\" + codepage::Utf8ToUtf16(origin);
}

}  // namespace

struct AllowList::Store {
  registry::Registry registry;
};

Result<AllowList> AllowList::Open() {
  auto registry = registry::Registry::Open();
  if (!registry) return registry.error();
  return AllowList(std::make_shared<Store>(Store{std::move(*registry)}));
}

Decision AllowList::DecisionFor(const Origin& origin) const {
  auto value = store_->registry.QueryValue(registry::Root::CurrentUser, KeyOf(origin.Text()), u"");
  if (!value) return Decision::Unknown;
  return value->data == u"allowed" ? Decision::Allowed : Decision::Denied;
}

Result<bool> AllowList::Record(const Origin& origin, Decision decision) {
  registry::RegistryValue value;  // a plain text value
  value.data = decision == Decision::Allowed ? u"allowed" : u"denied";
  auto set = store_->registry.SetValue(registry::Root::CurrentUser, KeyOf(origin.Text()), u"",
                                       value);
  if (!set) return set.error();
  return true;
}

Result<std::vector<AllowListEntry>> AllowList::Entries() const {
  auto names = store_->registry.SubKeys(registry::Root::CurrentUser, kOrigins);
  std::vector<AllowListEntry> entries;
  if (!names) return entries;  // nothing decided yet
  for (const std::u16string& name : *names) {
    const std::string origin = codepage::Utf16ToUtf8(name);
    auto value = store_->registry.QueryValue(registry::Root::CurrentUser, KeyOf(origin), u"");
    entries.push_back({origin, value && value->data == u"allowed" ? Decision::Allowed
                                                                  : Decision::Denied});
  }
  return entries;
}

}  // namespace velsor::bridge
