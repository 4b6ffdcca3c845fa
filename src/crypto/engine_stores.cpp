#include "crypto/engine_stores.h"

#include "platform/crypt/key_containers.h"
#include "platform/crypt/user_data.h"

namespace velsor::crypto {

EngineStores OpenEngineStores(std::u16string_view provider,
                              std::initializer_list<std::u16string_view> storeNames) {
  auto data = crypt::OpenUserData();
  std::shared_ptr<crypt::UserData> open = data ? *data : nullptr;
  EngineStores opened;
  // User data that cannot be opened gets no context; each store then says for itself that
  // it cannot open.
  if (data) {
    const auto context = crypt::AcquireDefaultContext(provider, open);
    if (context == crypt::DefaultContext::Unavailable) return {status::kNoProviderContext};
    opened.withContext = context == crypt::DefaultContext::Acquired;
  }
  for (std::u16string_view name : storeNames) {
    auto store = crypt::CertStore::Open(name, open);
    if (!store) return {status::kStoreUnavailable};
    opened.stores.push_back(std::move(*store));
  }
  return opened;
}

}  // namespace velsor::crypto
