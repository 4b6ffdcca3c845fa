#pragma once
// Owning pointers for the OpenSSL objects the platform layer holds.

#include <openssl/bio.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace velsor::crypt {

template <auto Free>
struct OpenSslFree {
  template <class T>
  void operator()(T* object) const {
    Free(object);
  }
};

// Memory OpenSSL hands out (PEM block names and data, i2d output): OPENSSL_free is a macro.
inline void FreeOpenSslMemory(void* memory) { OPENSSL_free(memory); }
template <class T>
using OpenSslMemoryPtr = std::unique_ptr<T, OpenSslFree<FreeOpenSslMemory>>;

using X509Ptr = std::unique_ptr<X509, OpenSslFree<X509_free>>;
using X509NamePtr = std::unique_ptr<X509_NAME, OpenSslFree<X509_NAME_free>>;
using X509CrlPtr = std::unique_ptr<X509_CRL, OpenSslFree<X509_CRL_free>>;
using X509RevokedPtr = std::unique_ptr<X509_REVOKED, OpenSslFree<X509_REVOKED_free>>;
using X509ExtensionPtr = std::unique_ptr<X509_EXTENSION, OpenSslFree<X509_EXTENSION_free>>;
using EvpPkeyPtr = std::unique_ptr<EVP_PKEY, OpenSslFree<EVP_PKEY_free>>;
using EvpPkeyCtxPtr = std::unique_ptr<EVP_PKEY_CTX, OpenSslFree<EVP_PKEY_CTX_free>>;
using BioPtr = std::unique_ptr<BIO, OpenSslFree<BIO_free_all>>;
using Pkcs12Ptr = std::unique_ptr<PKCS12, OpenSslFree<PKCS12_free>>;
using Pkcs8Ptr = std::unique_ptr<PKCS8_PRIV_KEY_INFO, OpenSslFree<PKCS8_PRIV_KEY_INFO_free>>;
using Asn1IntegerPtr = std::unique_ptr<ASN1_INTEGER, OpenSslFree<ASN1_INTEGER_free>>;
using Asn1TimePtr = std::unique_ptr<ASN1_TIME, OpenSslFree<ASN1_TIME_free>>;
using Pkcs7Ptr = std::unique_ptr<PKCS7, OpenSslFree<PKCS7_free>>;
using EvpCipherCtxPtr = std::unique_ptr<EVP_CIPHER_CTX, OpenSslFree<EVP_CIPHER_CTX_free>>;
using BignumPtr = std::unique_ptr<BIGNUM, OpenSslFree<BN_free>>;

struct X509StackFree {
  void operator()(STACK_OF(X509) * stack) const { sk_X509_pop_free(stack, X509_free); }
};
using X509StackPtr = std::unique_ptr<STACK_OF(X509), X509StackFree>;

}  // namespace velsor::crypt
