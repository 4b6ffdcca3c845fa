#include "crypto/cert_chain_check.h"

#include <ctime>
#include <optional>

#include "platform/crypt/cert_find.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/chain_checks.h"
#include "platform/crypt/name_text.h"

namespace velsor::crypto {
namespace {

struct FoundIssuer {
  crypt::CertContextPtr certificate;
  const crypt::CertStore* store;
};

// The first certificate of "CA", then "ROOT", whose subject equals the issuer name exactly;
// candidates come from a search for the issuer's display name.
std::optional<FoundIssuer> FindIssuer(const crypt::CertContext& certificate,
                                      std::u16string_view displayName,
                                      std::initializer_list<const crypt::CertStore*> stores) {
  const std::u16string issuerName =
      crypt::X500NameText(certificate.issuer(), crypt::NameSeparator::CrLf);
  for (const crypt::CertStore* store : stores) {
    const auto certificates = store->Certificates();
    if (!certificates) continue;
    for (const auto& candidate : crypt::FindBySubjectString(*certificates, displayName)) {
      if (crypt::X500NameText(candidate->subject(), crypt::NameSeparator::CrLf) == issuerName) {
        return FoundIssuer{candidate, store};
      }
    }
  }
  return std::nullopt;
}

}  // namespace

std::int32_t CheckCertChain(const crypt::CertContext& certificate, std::int32_t checks) {
  const std::u16string displayName = crypt::SimpleDisplayName(certificate.issuer());
  if (displayName.empty()) return kNoIssuerName;
  auto ca = crypt::CertStore::Open(u"CA");
  auto root = ca ? ca->Sibling(u"ROOT") : ca;
  if (!ca || !root) return kIssuerNotFound;
  const auto issuer = FindIssuer(certificate, displayName, {&*ca, &*root});
  if (!issuer) return kIssuerNotFound;

  if ((checks & kCheckSignature) &&
      !crypt::IssuerSignatureVerifies(certificate, *issuer->certificate)) {
    return kBadIssuerSignature;
  }
  if ((checks & kCheckValidity) && !crypt::WithinValidity(certificate, std::time(nullptr))) {
    return kOutsideValidity;
  }
  if ((checks & kCheckRevocation) &&
      crypt::RevocationByIssuerCrl(certificate, *issuer->certificate, *issuer->store) ==
          crypt::Revocation::Revoked) {
    return kRevoked;
  }
  if ((checks & kCheckChain) && !crypt::ChainPolicyAccepts(certificate, *ca, *root))
    return kChainRejected;
  return 0;
}

}  // namespace velsor::crypto
