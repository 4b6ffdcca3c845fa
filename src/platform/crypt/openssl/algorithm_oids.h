#pragma once
// The algorithms the providers know by object identifier: the digests of signatures and
// hashes, and the content-encryption ciphers of envelopes.

#include <openssl/evp.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/crypt/openssl/openssl_ptr.h"

namespace velsor::crypt {

// MD5, SHA-1, SHA-256, SHA-384, SHA-512; nothing for any other OID.
const EVP_MD* DigestForOid(std::string_view oid);

using EvpCipherPtr = std::unique_ptr<EVP_CIPHER, OpenSslFree<EVP_CIPHER_free>>;

struct ContentCipher {
  EvpCipherPtr cipher;
  // RC4 is written with NULL parameters; the block ciphers carry their IV (and RC2 its
  // effective key size) as OpenSSL encodes them.
  bool nullParameters = false;
};

// RC4 (128-bit key), RC2-CBC (128-bit key), DES-CBC, 3DES-CBC, AES-128/192/256-CBC.
// RC4, RC2 and single DES come from OpenSSL's legacy provider, loaded once.
std::optional<ContentCipher> ContentCipherForOid(std::string_view oid);

// The dotted text of an OID; empty for none.
std::string OidText(const ASN1_OBJECT* oid);

}  // namespace velsor::crypt
