#pragma once
// A hash in progress and what is done with a finished one: PKCS#1 v1.5 signatures with
// the DigestInfo of the digest, taken and given least significant byte first as the
// platform's raw signature services do; and the bare digest of a message.

#include <memory>
#include <optional>
#include <string_view>

#include "platform/base/bytes.h"
#include "platform/base/result.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/key_handle.h"

namespace velsor::crypt {

class HashObject {
 public:
  // NTE_BAD_ALGID for a digest OID the providers do not know.
  static Result<HashObject> Create(std::string_view digestOid);

  Result<Done> Update(ByteView data);
  // Finishes the hash: its value.
  Result<Bytes> Finish();

  // Finishes the hash and signs it; NTE_NO_KEY without a key, NTE_BAD_KEY for a key
  // that cannot sign.
  Result<Bytes> SignLeastSignificantFirst(const KeyHandle* key);
  // Finishes the hash and checks the signature; NTE_BAD_SIGNATURE when it does not match.
  Result<Done> VerifyLeastSignificantFirst(const KeyHandle& publicKey, ByteView signature);

  // The platform's hash in progress, defined by the service's implementation.
  struct State;
  explicit HashObject(std::unique_ptr<State> state);
  HashObject(HashObject&&) noexcept;
  HashObject& operator=(HashObject&&) noexcept;
  ~HashObject();

 private:
  std::unique_ptr<State> state_;
};

// The certificate's public key; CRYPT_E_OSS_ERROR when it cannot be read.
Result<KeyHandle> ImportPublicKey(const CertContext& certificate);

// The size in bytes of the digest an OID names; nothing for one the providers do not know.
std::optional<std::size_t> DigestSize(std::string_view digestOid);

// The digest of a byte string; NTE_BAD_ALGID for an unknown OID.
Result<Bytes> HashMessage(std::string_view digestOid, ByteView content);

}  // namespace velsor::crypt
