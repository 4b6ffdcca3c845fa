#include "platform/crypt/hash_object.h"
#include "platform/crypt/cert_context_openssl.h"

#include <openssl/rsa.h>

#include <algorithm>

#include "platform/crypt/algorithm_oids.h"
#include "platform/crypt/openssl_error.h"

namespace velsor::crypt {
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
  return HashObject(digest, std::move(context));
}

Result<Done> HashObject::Update(ByteView data) {
  if (EVP_DigestUpdate(context_.get(), data.data(), data.size()) != 1) {
    return OpenSslError(E_FAIL, "hashing");
  }
  return Done{};
}

Result<Bytes> HashObject::Finish() {
  Bytes value(static_cast<std::size_t>(EVP_MD_get_size(digest_)));
  unsigned int size = 0;
  if (EVP_DigestFinal_ex(context_.get(), value.data(), &size) != 1) {
    return OpenSslError(E_FAIL, "hashing");
  }
  value.resize(size);
  return value;
}

Result<Bytes> HashObject::SignLeastSignificantFirst(const EVP_PKEY* key) {
  if (key == nullptr) return Failure(NTE_NO_KEY, "no private key");
  auto value = Finish();
  if (!value) return value.error();
  auto context = RsaContext(const_cast<EVP_PKEY&>(*key), digest_, true);
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

Result<Done> HashObject::VerifyLeastSignificantFirst(EVP_PKEY& publicKey, ByteView signature) {
  auto value = Finish();
  if (!value) return value.error();
  auto context = RsaContext(publicKey, digest_, false);
  if (!context) return context.error();
  const Bytes bigEndian(signature.rbegin(), signature.rend());
  if (EVP_PKEY_verify(context->get(), bigEndian.data(), bigEndian.size(), value->data(),
                      value->size()) != 1) {
    return OpenSslError(NTE_BAD_SIGNATURE, "the signature does not match");
  }
  return Done{};
}

Result<EvpPkeyPtr> ImportPublicKey(const CertContext& certificate) {
  EvpPkeyPtr key(X509_get_pubkey(const_cast<X509*>(X509Of(certificate))));
  if (!key) return OpenSslError(CRYPT_E_OSS_ERROR, "public key");
  return key;
}

Result<Bytes> HashMessage(std::string_view digestOid, ByteView content) {
  auto hash = HashObject::Create(digestOid);
  if (!hash) return hash.error();
  if (auto updated = hash->Update(content); !updated) return updated.error();
  return hash->Finish();
}

}  // namespace velsor::crypt
