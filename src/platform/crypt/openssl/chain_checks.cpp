#include "platform/crypt/chain_checks.h"

#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include "platform/crypt/openssl/cert_context_openssl.h"
#include "platform/crypt/openssl/session_caches.h"

namespace velsor::crypt {
namespace {

using X509StorePtr = std::unique_ptr<X509_STORE, OpenSslFree<X509_STORE_free>>;
using X509StoreCtxPtr = std::unique_ptr<X509_STORE_CTX, OpenSslFree<X509_STORE_CTX_free>>;
// A stack that only borrows its CRLs: freeing it leaves them to their owners.
void FreeCrlStack(STACK_OF(X509_CRL) * stack) { sk_X509_CRL_free(stack); }
using X509CrlStackPtr = std::unique_ptr<STACK_OF(X509_CRL), OpenSslFree<FreeCrlStack>>;

std::vector<X509CrlPtr> ParseCrls(const std::vector<Bytes>& encoded) {
  std::vector<X509CrlPtr> crls;
  for (const Bytes& bytes : encoded) {
    const unsigned char* cursor = bytes.data();
    if (X509CrlPtr crl{d2i_X509_CRL(nullptr, &cursor, static_cast<long>(bytes.size()))}) {
      crls.push_back(std::move(crl));
    }
  }
  return crls;
}

// Expiry and validity nesting pass, as does revocation that cannot be decided; a revoked
// end certificate and everything else fail.
int ForgivingVerifyCallback(int ok, X509_STORE_CTX* context) {
  if (ok) return ok;
  switch (X509_STORE_CTX_get_error(context)) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
    case X509_V_ERR_UNABLE_TO_GET_CRL:
    case X509_V_ERR_CRL_HAS_EXPIRED:
    case X509_V_ERR_CRL_NOT_YET_VALID:
    case X509_V_ERR_UNABLE_TO_GET_CRL_ISSUER:
    case X509_V_ERR_CRL_SIGNATURE_FAILURE:
    case X509_V_ERR_UNABLE_TO_DECRYPT_CRL_SIGNATURE:
      X509_STORE_CTX_set_error(context, X509_V_OK);
      return 1;
    default:
      return 0;
  }
}

using DistPointsPtr = std::unique_ptr<STACK_OF(DIST_POINT), OpenSslFree<CRL_DIST_POINTS_free>>;

// Whether `crl` may speak for the certificate's revocation: its issuer issued the
// certificate, or the certificate's distribution points name it as their CRL issuer (an
// indirect CRL). OpenSSL would otherwise take an indirect CRL of another authority as a
// near match for any certificate and report it as of a different scope, which is no
// answer about this certificate at all.
bool MayCover(const X509_CRL* crl, const X509* certificate) {
  const X509_NAME* crlIssuer = X509_CRL_get_issuer(crl);
  if (X509_NAME_cmp(crlIssuer, X509_get_issuer_name(certificate)) == 0) return true;
  DistPointsPtr points(static_cast<STACK_OF(DIST_POINT)*>(
      X509_get_ext_d2i(certificate, NID_crl_distribution_points, nullptr, nullptr)));
  if (!points) return false;
  for (int i = 0; i < sk_DIST_POINT_num(points.get()); ++i) {
    const GENERAL_NAMES* names = sk_DIST_POINT_value(points.get(), i)->CRLissuer;
    for (int j = 0; j < sk_GENERAL_NAME_num(names); ++j) {
      const GENERAL_NAME* name = sk_GENERAL_NAME_value(names, j);
      if (name->type == GEN_DIRNAME && X509_NAME_cmp(name->d.directoryName, crlIssuer) == 0) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

// A session remembers the pairs whose signature it verified: the same signer's message
// verified again costs no second verification of its certificate.
bool IssuerSignatureVerifies(const CertContext& certificate, const CertContext& issuer) {
  SessionCaches* caches = ActiveSessionCaches();
  if (caches != nullptr && caches->signatures.Verified(certificate.encoded(), issuer.encoded())) {
    return true;
  }
  EVP_PKEY* key = X509_get0_pubkey(X509Of(issuer));
  const bool verifies =
      key != nullptr && X509_verify(const_cast<X509*>(X509Of(certificate)), key) == 1;
  if (verifies && caches != nullptr) {
    caches->signatures.Keep(certificate.encoded(), issuer.encoded());
  }
  return verifies;
}

bool KeyIdentifierMatches(const CertContext& certificate, const CertContext& issuer) {
  const ASN1_OCTET_STRING* named =
      X509_get0_authority_key_id(const_cast<X509*>(X509Of(certificate)));
  if (named == nullptr) return true;
  const ASN1_OCTET_STRING* held = X509_get0_subject_key_id(const_cast<X509*>(X509Of(issuer)));
  return held != nullptr && ASN1_OCTET_STRING_cmp(named, held) == 0;
}

bool WithinValidity(const CertContext& certificate, std::time_t now) {
  return certificate.notBefore() <= now && now <= certificate.notAfter();
}

Revocation RevocationByIssuerCrl(const CertContext& certificate, const CertContext& issuer,
                                 const CertStore& issuerStore) {
  bool anyCrl = false;
  EVP_PKEY* issuerKey = X509_get0_pubkey(X509Of(issuer));
  const auto encoded = issuerStore.Crls();
  if (!encoded) return Revocation::NoCrl;
  for (const auto& crl : ParseCrls(*encoded)) {
    if (X509_NAME_cmp(X509_CRL_get_issuer(crl.get()), SubjectNameOf(issuer)) != 0) continue;
    if (issuerKey == nullptr || X509_CRL_verify(crl.get(), issuerKey) != 1) continue;
    anyCrl = true;
    X509_REVOKED* entry = nullptr;
    if (X509_CRL_get0_by_cert(crl.get(), &entry, const_cast<X509*>(X509Of(certificate))) == 1) {
      return Revocation::Revoked;
    }
  }
  return anyCrl ? Revocation::NotRevoked : Revocation::NoCrl;
}

bool ChainPolicyAccepts(const CertContext& certificate, const std::vector<CertContextPtr>& ca,
                        const std::vector<CertContextPtr>& root, const std::vector<Bytes>& crls) {
  X509StorePtr trusted(X509_STORE_new());
  X509StackPtr intermediates(sk_X509_new_null());
  if (!trusted || !intermediates) return false;
  for (const auto& trustedRoot : root) {
    X509_STORE_add_cert(trusted.get(), const_cast<X509*>(X509Of(*trustedRoot)));
  }
  for (const auto& authority : ca) {
    X509* copy = X509_dup(const_cast<X509*>(X509Of(*authority)));
    if (copy != nullptr && sk_X509_push(intermediates.get(), copy) == 0) X509_free(copy);
  }
  // The end certificate's revocation is checked against the CRLs the stores hold. They are
  // given to the context rather than the store: only from there does OpenSSL take a CRL
  // issued by another authority than the certificate's (an indirect CRL, or one signed with
  // the authority's separate CRL key), and extended CRL support gives such CRLs their scope.
  const auto parsedCrls = ParseCrls(crls);
  X509CrlStackPtr crlStack(sk_X509_CRL_new_null());
  if (!crlStack) return false;
  for (const auto& crl : parsedCrls) {
    if (!MayCover(crl.get(), X509Of(certificate))) continue;
    if (sk_X509_CRL_push(crlStack.get(), crl.get()) == 0) return false;
  }
  X509_STORE_set_flags(trusted.get(), X509_V_FLAG_CRL_CHECK | X509_V_FLAG_EXTENDED_CRL_SUPPORT);
  X509_STORE_set_verify_cb(trusted.get(), &ForgivingVerifyCallback);
  X509StoreCtxPtr context(X509_STORE_CTX_new());
  if (!context ||
      X509_STORE_CTX_init(context.get(), trusted.get(), const_cast<X509*>(X509Of(certificate)),
                          intermediates.get()) != 1) {
    return false;
  }
  X509_STORE_CTX_set0_crls(context.get(), crlStack.get());
  return X509_verify_cert(context.get()) == 1;
}

}  // namespace velsor::crypt
