#include "crypto/engine_stores.h"

#include "platform/crypt/key_containers.h"
#include "platform/crypt/user_data.h"

namespace velsor::crypto {

EngineStores OpenEngineStores(std::u16string_view provider,
                              std::initializer_list<std::u16string_view> storeNames) {
  auto database = crypt::OpenCertStoreDatabase();
  std::shared_ptr<storage::Database> connection = database ? *database : nullptr;
  EngineStores opened;
  // On the platform's own stores there is no database of ours, and the context is opened
  // all the same; here, only when the database opened.
  if (database) {
    const auto context = crypt::AcquireDefaultContext(provider, connection);
    if (context == crypt::DefaultContext::Unavailable) return {status::kNoProviderContext};
    opened.withContext = context == crypt::DefaultContext::Acquired;
  }
  for (std::u16string_view name : storeNames) {
    auto store = crypt::CertStore::Open(name, connection);
    if (!store) return {status::kStoreUnavailable};
    opened.stores.push_back(std::move(*store));
  }
  return opened;
}

}  // namespace velsor::crypto
