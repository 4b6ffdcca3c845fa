#include "crypto/cert_chain_check.h"

#include <ctime>
#include <optional>

#include "platform/crypt/cert_find.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/chain_checks.h"
#include "platform/crypt/name_text.h"

namespace velsor::crypto {
namespace {

// One store's certificates, read once for all the tests.
struct StoreContents {
  crypt::CertStore store;
  std::vector<crypt::CertContextPtr> certificates;
};

struct FoundIssuer {
  crypt::CertContextPtr certificate;
  const crypt::CertStore* store;
};

std::optional<StoreContents> Read(Result<crypt::CertStore> store) {
  if (!store) return std::nullopt;
  auto certificates = store->Certificates();
  if (!certificates) return std::nullopt;
  return StoreContents{std::move(*store), std::move(*certificates)};
}

// Among the certificates of "CA", then "ROOT", whose subject equals the issuer name exactly
// (candidates come from a search for the issuer's display name), the issuer is the one whose
// key identifier matches the certificate's authority key identifier and whose key verifies the
// certificate, else the first whose key verifies it, else the first of them (whose signature
// test then fails). An authority that renewed its key has two certificates of one name, and
// the first in store order need not be the one that signed.
std::optional<FoundIssuer> FindIssuer(const crypt::CertContext& certificate,
                                      std::u16string_view displayName,
                                      std::initializer_list<const StoreContents*> stores) {
  const std::u16string issuerName =
      crypt::IssuerText(certificate, crypt::NameSeparator::CrLf);
  std::vector<FoundIssuer> named;
  for (const StoreContents* contents : stores) {
    for (const auto& candidate : crypt::FindBySubjectString(contents->certificates, displayName)) {
      if (crypt::SubjectText(*candidate, crypt::NameSeparator::CrLf) == issuerName) {
        named.push_back(FoundIssuer{candidate, &contents->store});
      }
    }
  }
  if (named.empty()) return std::nullopt;
  const FoundIssuer* firstVerifying = nullptr;
  for (const FoundIssuer& found : named) {
    if (!crypt::IssuerSignatureVerifies(certificate, *found.certificate)) continue;
    if (crypt::KeyIdentifierMatches(certificate, *found.certificate)) return found;
    if (firstVerifying == nullptr) firstVerifying = &found;
  }
  return firstVerifying != nullptr ? *firstVerifying : named.front();
}

std::vector<Bytes> AllCrls(std::initializer_list<const StoreContents*> stores) {
  std::vector<Bytes> crls;
  for (const StoreContents* contents : stores) {
    if (auto held = contents->store.Crls()) crls.insert(crls.end(), held->begin(), held->end());
  }
  return crls;
}

}  // namespace

std::int32_t CheckCertChain(const crypt::CertContext& certificate, std::int32_t checks) {
  const std::u16string displayName = crypt::IssuerDisplayName(certificate);
  if (displayName.empty()) return kNoIssuerName;
  auto caStore = crypt::CertStore::Open(u"CA");
  if (!caStore) return kIssuerNotFound;
  // Both stores are read in one snapshot, for every test.
  const crypt::StoreSnapshot snapshot(*caStore);
  const auto root = Read(caStore->Sibling(u"ROOT"));
  const auto ca = Read(std::move(caStore));
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
  if ((checks & kCheckChain) &&
      !crypt::ChainPolicyAccepts(certificate, ca->certificates, root->certificates,
                                 AllCrls({&*ca, &*root}))) {
    return kChainRejected;
  }
  return 0;
}

}  // namespace velsor::crypto
