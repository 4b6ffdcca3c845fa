#pragma once
// The POSIX service's side of a key: an OpenSSL EVP_PKEY behind KeyHandle.

#include "platform/crypt/key_handle.h"
#include "platform/crypt/openssl/openssl_ptr.h"

namespace velsor::crypt {

struct KeyHandle::Held {
  EvpPkeyPtr key;
};

inline EVP_PKEY* PkeyOf(const KeyHandle& handle) { return handle.held().key.get(); }

inline KeyHandle HoldKey(EvpPkeyPtr key) {
  return KeyHandle(std::make_shared<const KeyHandle::Held>(KeyHandle::Held{std::move(key)}));
}

}  // namespace velsor::crypt
