#include "platform/crypt/hash_object.h"

#include <openssl/rsa.h>

#include <algorithm>

#include "platform/crypt/openssl/algorithm_oids.h"
#include "platform/crypt/openssl/cert_context_openssl.h"
#include "platform/crypt/openssl/key_handle_openssl.h"
#include "platform/crypt/openssl/openssl_error.h"

namespace velsor::crypt {

using EvpMdCtxPtr = std::unique_ptr<EVP_MD_CTX, OpenSslFree<EVP_MD_CTX_free>>;

struct HashObject::State {
  const EVP_MD* digest;
  EvpMdCtxPtr context;
};

HashObject::HashObject(std::unique_ptr<State> state) : state_(std::move(state)) {}
HashObject::HashObject(HashObject&&) noexcept = default;
HashObject& HashObject::operator=(HashObject&&) noexcept = default;
HashObject::~HashObject() = default;

namespace {

// A signature context over a finished digest: RSA with PKCS#1 v1.5 padding and the
// digest's DigestInfo.
Result<EvpPkeyCtxPtr> RsaContext(EVP_PKEY& key, const EVP_MD* digest, bool signing) {
  EvpPkeyCtxPtr context(EVP_PKEY_CTX_new_from_pkey(nullptr, &key, nullptr));
  if (!context) return OpenSslError(E_OUTOFMEMORY, "key context");
  const int initialised =
      signing ? EVP_PKEY_sign_init(context.get()) : EVP_PKEY_verify_init(context.get());
  if (initialised != 1 || EVP_PKEY_CTX_set_rsa_padding(context.get(), RSA_PKCS1_PADDING) != 1 ||
      EVP_PKEY_CTX_set_signature_md(context.get(), digest) != 1) {
    return OpenSslError(NTE_BAD_KEY, "the key cannot sign with this digest");
  }
  return context;
}

}  // namespace

Result<HashObject> HashObject::Create(std::string_view digestOid) {
  const EVP_MD* digest = DigestForOid(digestOid);
  if (digest == nullptr) return Failure(NTE_BAD_ALGID, "no such digest algorithm");
  EvpMdCtxPtr context(EVP_MD_CTX_new());
  if (!context || EVP_DigestInit_ex(context.get(), digest, nullptr) != 1) {
    return OpenSslError(NTE_BAD_ALGID, "digest");
  }
  return HashObject(std::make_unique<State>(State{digest, std::move(context)}));
}

Result<Done> HashObject::Update(ByteView data) {
  if (EVP_DigestUpdate(state_->context.get(), data.data(), data.size()) != 1) {
    return OpenSslError(E_FAIL, "hashing");
  }
  return Done{};
}

Result<Bytes> HashObject::Finish() {
  Bytes value(static_cast<std::size_t>(EVP_MD_get_size(state_->digest)));
  unsigned int size = 0;
  if (EVP_DigestFinal_ex(state_->context.get(), value.data(), &size) != 1) {
    return OpenSslError(E_FAIL, "hashing");
  }
  value.resize(size);
  return value;
}

Result<Bytes> HashObject::SignLeastSignificantFirst(const KeyHandle* key) {
  if (key == nullptr || PkeyOf(*key) == nullptr) return Failure(NTE_NO_KEY, "no private key");
  auto value = Finish();
  if (!value) return value.error();
  auto context = RsaContext(*PkeyOf(*key), state_->digest, true);
  if (!context) return context.error();
  std::size_t size = 0;
  if (EVP_PKEY_sign(context->get(), nullptr, &size, value->data(), value->size()) != 1) {
    return OpenSslError(NTE_BAD_KEY, "signature size");
  }
  Bytes signature(size);
  if (EVP_PKEY_sign(context->get(), signature.data(), &size, value->data(), value->size()) != 1) {
    return OpenSslError(NTE_BAD_KEY, "signing");
  }
  signature.resize(size);
  std::reverse(signature.begin(), signature.end());
  return signature;
}

Result<Done> HashObject::VerifyLeastSignificantFirst(const KeyHandle& publicKey,
                                                     ByteView signature) {
  auto value = Finish();
  if (!value) return value.error();
  auto context = RsaContext(*PkeyOf(publicKey), state_->digest, false);
  if (!context) return context.error();
  const Bytes bigEndian(signature.rbegin(), signature.rend());
  if (EVP_PKEY_verify(context->get(), bigEndian.data(), bigEndian.size(), value->data(),
                      value->size()) != 1) {
    return OpenSslError(NTE_BAD_SIGNATURE, "the signature does not match");
  }
  return Done{};
}

Result<KeyHandle> ImportPublicKey(const CertContext& certificate) {
  EvpPkeyPtr key(X509_get_pubkey(const_cast<X509*>(X509Of(certificate))));
  if (!key) return OpenSslError(CRYPT_E_OSS_ERROR, "public key");
  return HoldKey(std::move(key));
}

std::optional<std::size_t> DigestSize(std::string_view digestOid) {
  const EVP_MD* digest = DigestForOid(digestOid);
  if (digest == nullptr) return std::nullopt;
  return static_cast<std::size_t>(EVP_MD_get_size(digest));
}


}  // namespace velsor::crypt
