#pragma once
// The Windows service's side of keys: a provider context with a key in it behind
// KeyHandle, and the digest algorithms by OID.

#include <windows.h>
#include <wincrypt.h>

#include <optional>
#include <string_view>

#include "platform/crypt/key_handle.h"

namespace velsor::crypt {

struct KeyHandle::Held {
  Held(HCRYPTPROV provider, HCRYPTKEY key, DWORD keySpec)
      : provider(provider), key(key), keySpec(keySpec) {}
  ~Held() {
    if (key != 0) CryptDestroyKey(key);
    if (provider != 0) CryptReleaseContext(provider, 0);
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  HCRYPTPROV provider;
  HCRYPTKEY key;  // a public key imported for checking; none for a private key
  DWORD keySpec;  // the private key's spec; 0 for a public key
};

struct DigestAlgorithm {
  ALG_ID id;
  std::size_t size;
};
// MD5, SHA-1, SHA-256, SHA-384, SHA-512; nothing for any other OID.
std::optional<DigestAlgorithm> DigestForOid(std::string_view oid);

// A context that holds no keys, on the provider that knows every digest above.
HCRYPTPROV VerifyContext();

}  // namespace velsor::crypt
