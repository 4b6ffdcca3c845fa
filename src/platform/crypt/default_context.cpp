// The engines' context on a provider's default container, the same on every platform.

#include "platform/crypt/key_containers.h"

namespace velsor::crypt {

DefaultContext AcquireDefaultContext(std::u16string_view provider,
                                     const std::shared_ptr<UserData>& database) {
  // Opening an existing container first gives the same outcome as creating it and falling
  // back on NTE_EXISTS, without a write on every call.
  if (CryptProvider::Acquire(std::nullopt, provider, PROV_RSA_FULL, 0, database)) {
    return DefaultContext::Acquired;
  }
  auto created =
      CryptProvider::Acquire(std::nullopt, provider, PROV_RSA_FULL, CRYPT_NEWKEYSET, database);
  if (created) return DefaultContext::Acquired;
  if (created.code() != NTE_EXISTS) return DefaultContext::WithoutContext;
  auto existing = CryptProvider::Acquire(std::nullopt, provider, PROV_RSA_FULL, 0, database);
  return existing ? DefaultContext::Acquired : DefaultContext::Unavailable;
}

}  // namespace velsor::crypt
