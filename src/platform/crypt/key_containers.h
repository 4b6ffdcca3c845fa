#pragma once
// Providers and their key containers. A provider is one of the two RSA provider names, or
// the token provider, whose containers are keys on tokens (token_key.h); a
// container, shared by both, holds at most an exchange key and a signature key, stored as
// PKCS#8. The default container is named after the login user. Nothing here ever deletes a
// container that holds keys, and private keys never leave this process.

#include <optional>
#include <string>
#include <string_view>

#include "platform/base/bytes.h"
#include "platform/base/result.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/key_handle.h"
#include "platform/base/pin_request.h"

namespace velsor::crypt {

// The system's headers define these as macros of the same values.
#ifndef CRYPT_NEWKEYSET
inline constexpr DWORD CRYPT_NEWKEYSET = 0x8;
inline constexpr DWORD CRYPT_DELETEKEYSET = 0x10;
inline constexpr DWORD CRYPT_SILENT = 0x40;
inline constexpr DWORD CRYPT_VERIFYCONTEXT = 0xF0000000;
#endif

inline constexpr std::u16string_view kEnhancedProvider =
    u"Microsoft Enhanced Cryptographic Provider v1.0";
inline constexpr std::u16string_view kBaseProvider = u"Microsoft Base Cryptographic Provider v1.0";

#ifndef NTE_PROV_TYPE_NOT_DEF
inline constexpr HRESULT NTE_PROV_TYPE_NOT_DEF = Hr(0x80090017);
#endif
#ifndef NTE_KEYSET_NOT_DEF
inline constexpr HRESULT NTE_KEYSET_NOT_DEF = Hr(0x80090019);
#endif

// The login user's name: the default container.
std::u16string DefaultContainerName();

class CryptProvider {
 public:
  // Without a container name, the default container. CRYPT_NEWKEYSET creates the
  // container (NTE_EXISTS when it is there already); without it the container must exist
  // (NTE_BAD_KEYSET). CRYPT_VERIFYCONTEXT opens no container at all. CRYPT_DELETEKEYSET
  // removes an empty container and refuses one that holds keys.
  static Result<CryptProvider> Acquire(std::optional<std::u16string_view> container,
                                       std::u16string_view provider, DWORD provType, DWORD flags,
                                       std::shared_ptr<UserData> database = nullptr);

  const std::u16string& providerName() const { return provider_; }
  const std::optional<std::u16string>& containerName() const { return container_; }

  // The container's key of that spec; NTE_NO_KEY when it holds none. A key on a token
  // asks `pin` for the token's PIN when the token wants a login (see OpenTokenKey).
  Result<KeyHandle> PrivateKey(DWORD keySpec, const PinPrompt& pin = {}) const;
  const std::shared_ptr<UserData>& database() const { return database_; }

  CryptProvider(std::u16string provider, std::optional<std::u16string> container,
                std::shared_ptr<UserData> database)
      : provider_(std::move(provider)),
        container_(std::move(container)),
        database_(std::move(database)) {}

 private:
  std::u16string provider_;
  std::optional<std::u16string> container_;
  std::shared_ptr<UserData> database_;
};

// A context on the default container of `provider` for the engines: created when
// missing, opened when it exists. Unavailable only when it exists and still cannot be
// opened; WithoutContext when creating it failed for another reason, in which case the
// engines go on without one.
enum class DefaultContext { Acquired, WithoutContext, Unavailable };
DefaultContext AcquireDefaultContext(std::u16string_view provider,
                                     const std::shared_ptr<UserData>& database = nullptr);

}  // namespace velsor::crypt
