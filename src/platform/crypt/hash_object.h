#pragma once
// A hash in progress and what is done with a finished one: PKCS#1 v1.5 signatures with
// the DigestInfo of the digest, taken and given least significant byte first as the
// platform's raw signature services do; and the bare digest of a message.

#include <openssl/evp.h>

#include <string_view>

#include "platform/base/bytes.h"
#include "platform/base/result.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/openssl_ptr.h"

namespace velsor::crypt {

using EvpMdCtxPtr = std::unique_ptr<EVP_MD_CTX, OpenSslFree<EVP_MD_CTX_free>>;

class HashObject {
 public:
  // NTE_BAD_ALGID for a digest OID the providers do not know.
  static Result<HashObject> Create(std::string_view digestOid);

  Result<Done> Update(ByteView data);
  // Finishes the hash: its value.
  Result<Bytes> Finish();

  // Finishes the hash and signs it; NTE_NO_KEY without a key, NTE_BAD_KEY for a key
  // that cannot sign.
  Result<Bytes> SignLeastSignificantFirst(const EVP_PKEY* key);
  // Finishes the hash and checks the signature; NTE_BAD_SIGNATURE when it does not match.
  Result<Done> VerifyLeastSignificantFirst(EVP_PKEY& publicKey, ByteView signature);

 private:
  HashObject(const EVP_MD* digest, EvpMdCtxPtr context)
      : digest_(digest), context_(std::move(context)) {}

  const EVP_MD* digest_;
  EvpMdCtxPtr context_;
};

// The certificate's public key; CRYPT_E_OSS_ERROR when it cannot be read.
Result<EvpPkeyPtr> ImportPublicKey(const CertContext& certificate);

// The digest of a byte string; NTE_BAD_ALGID for an unknown OID.
Result<Bytes> HashMessage(std::string_view digestOid, ByteView content);

}  // namespace velsor::crypt
