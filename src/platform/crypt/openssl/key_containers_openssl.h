#pragma once
// Putting OpenSSL keys into the POSIX service's containers: for the store administration
// tool and the tests, which make and import keys themselves.

#include <string_view>

#include "platform/crypt/key_containers.h"
#include "platform/crypt/openssl/openssl_ptr.h"

namespace velsor::crypt {

// Stores a key as the container's exchange or signature key; NTE_EXISTS when the
// container has one of that spec already.
Result<Done> StoreKey(const CryptProvider& provider, DWORD keySpec, const EVP_PKEY& key);

// Puts a certificate and its private key in place in one transaction: a new container
// under `provider` holding the key as `keySpec`, and the certificate in "MY" linked to it
// by its key provider information. Either all of it is stored or none of it.
Result<CertContextPtr> ImportCertificateWithKey(ByteView certificate, const EVP_PKEY& key,
                                                DWORD keySpec, std::u16string_view provider);

}  // namespace velsor::crypt
