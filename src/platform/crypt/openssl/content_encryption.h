#pragma once
// The two halves of an envelope's cryptography: the content under a fresh symmetric key,
// and that key under the recipient's RSA public key (PKCS#1 v1.5).

#include <openssl/x509.h>

#include <string_view>

#include "platform/base/bytes.h"
#include "platform/base/result.h"
#include "platform/base/secret_bytes.h"
#include "platform/crypt/openssl/openssl_ptr.h"

namespace velsor::crypt {

using Asn1TypePtr = std::unique_ptr<ASN1_TYPE, OpenSslFree<ASN1_TYPE_free>>;

struct EncryptedContent {
  SecretBytes key;
  Asn1TypePtr parameters;  // the algorithm parameters to write beside the OID
  Bytes ciphertext;
};

// NTE_BAD_ALGID for a cipher OID the providers do not know.
Result<EncryptedContent> EncryptContent(std::string_view cipherOid, ByteView content);

// NTE_BAD_ALGID for an unknown cipher, CRYPT_E_OSS_ERROR for parameters that cannot be
// read, NTE_BAD_KEY for a key of the wrong size, NTE_BAD_DATA when the padding is wrong.
// RC4 ignores its parameters, NULL or absent.
Result<Bytes> DecryptContent(const X509_ALGOR& algorithm, ByteView key, ByteView ciphertext);
// The size of the content key the algorithm and its parameters call for.
Result<std::size_t> ContentKeySize(const X509_ALGOR& algorithm);

Result<Bytes> WrapKey(const X509& recipient, ByteView key);
// NTE_BAD_DATA when the key does not open the wrapped key.
Result<SecretBytes> UnwrapKey(EVP_PKEY& privateKey, ByteView wrapped);
// A key of `keySize` bytes: the wrapped one when it unwraps to that size, else random
// bytes, so that a message whose key transport is malformed fails later exactly as one
// with a wrong key (the countermeasure of RFC 3218): the private key is no padding oracle.
// Fails only when no random bytes can be had.
Result<SecretBytes> UnwrapKeyOrDecoy(EVP_PKEY& privateKey, ByteView wrapped, std::size_t keySize);

}  // namespace velsor::crypt
