// What the stores do alike on every platform: the names of the current user's system
// stores, and adding one certificate as a batch of one.

#include <array>

#include "platform/codepage/utf.h"
#include "platform/crypt/cert_store.h"

namespace velsor::crypt {
namespace {

struct StoreNameEntry {
  SystemStore store;
  std::u16string_view name;
};
constexpr std::array kStoreNames{
    StoreNameEntry{SystemStore::My, u"MY"},
    StoreNameEntry{SystemStore::Ca, u"CA"},
    StoreNameEntry{SystemStore::Root, u"ROOT"},
    StoreNameEntry{SystemStore::AddressBook, u"AddressBOOK"},
};

}  // namespace

std::optional<SystemStore> SystemStoreNamed(std::u16string_view name) {
  const std::u16string folded = codepage::FoldCase(name);
  for (const auto& entry : kStoreNames) {
    if (codepage::FoldCase(entry.name) == folded) return entry.store;
  }
  return std::nullopt;
}

std::u16string_view SystemStoreName(SystemStore store) {
  for (const auto& entry : kStoreNames) {
    if (entry.store == store) return entry.name;
  }
  return {};
}

Result<CertContextPtr> CertStore::Add(ByteView encoded) {
  const Bytes copy(encoded.begin(), encoded.end());
  auto added = AddAll(std::span(&copy, 1));
  if (!added) return added.error();
  return std::move(added->front());
}

}  // namespace velsor::crypt
