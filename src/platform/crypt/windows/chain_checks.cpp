// The signer's tests on the system's chain engine: the issuer's signature, revocation by
// the issuer's CRLs, and a chain to the trusted roots checked by the base policy, in
// which expiry, validity nesting and revocation that cannot be decided are forgiven but
// a revoked end certificate is not.

#include "platform/crypt/chain_checks.h"

#include <algorithm>

#include "system_cert.h"

namespace velsor::crypt {
namespace {

struct StoreCloser {
  void operator()(HCERTSTORE store) const { CertCloseStore(store, 0); }
};
using StorePtr = std::unique_ptr<void, StoreCloser>;
struct CrlFree {
  void operator()(PCCRL_CONTEXT crl) const { CertFreeCRLContext(crl); }
};
using CrlPtr = std::unique_ptr<const CRL_CONTEXT, CrlFree>;

StorePtr MemoryStore() {
  return StorePtr(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
}

std::vector<CrlPtr> ParseCrls(const std::vector<Bytes>& encoded) {
  std::vector<CrlPtr> crls;
  for (const Bytes& bytes : encoded) {
    if (PCCRL_CONTEXT crl = CertCreateCRLContext(kEncodings, bytes.data(),
                                                 static_cast<DWORD>(bytes.size()))) {
      crls.emplace_back(crl);
    }
  }
  return crls;
}

// A CRL that `issuer` issued and signed.
bool IssuedBy(PCCRL_CONTEXT crl, PCCERT_CONTEXT issuer) {
  return CertCompareCertificateName(X509_ASN_ENCODING, &crl->pCrlInfo->Issuer,
                                    &issuer->pCertInfo->Subject) &&
         CryptVerifyCertificateSignatureEx(0, X509_ASN_ENCODING, CRYPT_VERIFY_CERT_SIGN_SUBJECT_CRL,
                                           const_cast<CRL_CONTEXT*>(crl),
                                           CRYPT_VERIFY_CERT_SIGN_ISSUER_CERT,
                                           const_cast<CERT_CONTEXT*>(issuer), 0, nullptr);
}

bool Listed(PCCERT_CONTEXT certificate, PCCRL_CONTEXT crl) {
  PCRL_ENTRY entry = nullptr;
  return CertFindCertificateInCRL(certificate, crl, 0, nullptr, &entry) && entry != nullptr;
}

struct LocalFree {
  void operator()(void* memory) const { ::LocalFree(memory); }
};

// The decoded value of the certificate's extension `oid` as `structType`, or nothing.
template <typename T>
std::unique_ptr<T, LocalFree> DecodedExtension(PCCERT_CONTEXT certificate, const char* oid,
                                               LPCSTR structType) {
  const CERT_INFO* info = certificate->pCertInfo;
  PCERT_EXTENSION extension = CertFindExtension(oid, info->cExtension, info->rgExtension);
  void* decoded = nullptr;
  DWORD size = 0;
  if (extension == nullptr ||
      !CryptDecodeObjectEx(X509_ASN_ENCODING, structType, extension->Value.pbData,
                           extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &decoded,
                           &size)) {
    return nullptr;
  }
  return std::unique_ptr<T, LocalFree>(static_cast<T*>(decoded));
}

bool SameBlob(const CRYPT_DATA_BLOB& first, const CRYPT_DATA_BLOB& second) {
  return first.cbData == second.cbData &&
         std::equal(first.pbData, first.pbData + first.cbData, second.pbData);
}

}  // namespace

bool KeyIdentifierMatches(const CertContext& certificate, const CertContext& issuer) {
  const auto named = DecodedExtension<CERT_AUTHORITY_KEY_ID2_INFO>(
      SystemContextOf(certificate), szOID_AUTHORITY_KEY_IDENTIFIER2, X509_AUTHORITY_KEY_ID2);
  if (!named || named->KeyId.cbData == 0) return true;
  const auto held = DecodedExtension<CRYPT_DATA_BLOB>(
      SystemContextOf(issuer), szOID_SUBJECT_KEY_IDENTIFIER, szOID_SUBJECT_KEY_IDENTIFIER);
  return held && SameBlob(named->KeyId, *held);
}

bool IssuerSignatureVerifies(const CertContext& certificate, const CertContext& issuer) {
  return CryptVerifyCertificateSignatureEx(
             0, X509_ASN_ENCODING, CRYPT_VERIFY_CERT_SIGN_SUBJECT_CERT,
             const_cast<CERT_CONTEXT*>(SystemContextOf(certificate)),
             CRYPT_VERIFY_CERT_SIGN_ISSUER_CERT, const_cast<CERT_CONTEXT*>(SystemContextOf(issuer)),
             0, nullptr) != FALSE;
}

bool WithinValidity(const CertContext& certificate, std::time_t now) {
  return certificate.notBefore() <= now && now <= certificate.notAfter();
}

Revocation RevocationByIssuerCrl(const CertContext& certificate, const CertContext& issuer,
                                 const CertStore& issuerStore) {
  const auto encoded = issuerStore.Crls();
  if (!encoded) return Revocation::NoCrl;
  bool anyCrl = false;
  for (const CrlPtr& crl : ParseCrls(*encoded)) {
    if (!IssuedBy(crl.get(), SystemContextOf(issuer))) continue;
    anyCrl = true;
    if (Listed(SystemContextOf(certificate), crl.get())) return Revocation::Revoked;
  }
  return anyCrl ? Revocation::NotRevoked : Revocation::NoCrl;
}

bool ChainPolicyAccepts(const CertContext& certificate, const std::vector<CertContextPtr>& ca,
                        const std::vector<CertContextPtr>& root, const std::vector<Bytes>& crls) {
  StorePtr roots = MemoryStore();
  StorePtr others = MemoryStore();
  if (!roots || !others) return false;
  for (const auto& trusted : root) {
    CertAddCertificateContextToStore(roots.get(), SystemContextOf(*trusted),
                                     CERT_STORE_ADD_USE_EXISTING, nullptr);
  }
  for (const auto& authority : ca) {
    CertAddCertificateContextToStore(others.get(), SystemContextOf(*authority),
                                     CERT_STORE_ADD_USE_EXISTING, nullptr);
  }
  CERT_CHAIN_ENGINE_CONFIG config{};
  config.cbSize = sizeof config;
  config.hExclusiveRoot = roots.get();
  HCERTCHAINENGINE engine = nullptr;
  if (!CertCreateCertificateChainEngine(&config, &engine)) return false;
  CERT_CHAIN_PARA parameters{};
  parameters.cbSize = sizeof parameters;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  const bool built = CertGetCertificateChain(engine, SystemContextOf(certificate), nullptr,
                                             others.get(), &parameters, 0, nullptr, &chain);
  bool accepted = false;
  if (built && chain != nullptr) {
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.dwFlags = CERT_CHAIN_POLICY_IGNORE_ALL_NOT_TIME_VALID_FLAGS |
                     CERT_CHAIN_POLICY_IGNORE_NOT_TIME_NESTED_FLAG |
                     CERT_CHAIN_POLICY_IGNORE_ALL_REV_UNKNOWN_FLAGS;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    accepted = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_BASE, chain, &policy, &status) &&
               status.dwError == 0;
    // The end certificate's revocation is decided by the CRLs its issuer in the chain
    // signed; one that lists it fails the chain.
    const CERT_SIMPLE_CHAIN* simple = chain->cChain > 0 ? chain->rgpChain[0] : nullptr;
    if (accepted && simple != nullptr && simple->cElement > 1) {
      PCCERT_CONTEXT issuer = simple->rgpElement[1]->pCertContext;
      for (const CrlPtr& crl : ParseCrls(crls)) {
        if (IssuedBy(crl.get(), issuer) && Listed(SystemContextOf(certificate), crl.get())) {
          accepted = false;
        }
      }
    }
  }
  if (chain != nullptr) CertFreeCertificateChain(chain);
  CertFreeCertificateChainEngine(engine);
  return accepted;
}

}  // namespace velsor::crypt
