#pragma once
// The tests a signer certificate undergoes against its issuer, on OpenSSL: the issuer's
// signature on it, its validity period, revocation by a CRL of the issuer held in the
// issuer's store, and a chain to a trusted root ("ROOT" trusted, "CA" untrusted) in which
// expiry and validity nesting are forgiven but a revoked end certificate is not.

#include <ctime>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/cert_store.h"

namespace velsor::crypt {

bool IssuerSignatureVerifies(const CertContext& certificate, const CertContext& issuer);

// Whether the certificate's authority key identifier names `issuer`'s key (true when the
// certificate carries none: nothing then tells the candidates apart).
bool KeyIdentifierMatches(const CertContext& certificate, const CertContext& issuer);

bool WithinValidity(const CertContext& certificate, std::time_t now);

enum class Revocation { NotRevoked, Revoked, NoCrl };
// Looks only at CRLs of `issuer` (by name, with a sound signature) kept in `issuerStore`.
Revocation RevocationByIssuerCrl(const CertContext& certificate, const CertContext& issuer,
                                 const CertStore& issuerStore);

// True when a chain to a certificate in `root` can be built, with `ca` as untrusted
// intermediates and the CRLs of both, and the policy accepts it.
bool ChainPolicyAccepts(const CertContext& certificate, const std::vector<CertContextPtr>& ca,
                        const std::vector<CertContextPtr>& root, const std::vector<Bytes>& crls);

}  // namespace velsor::crypt
