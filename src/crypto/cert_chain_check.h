#pragma once
// Judges a signer certificate against its issuer, found by exact name in "CA" and then
// "ROOT" and, among several of that name, by the key that signed it. Each bit asks for one test; they run in the order 2, 4, 1, 8 and the first
// failure decides.

#include <cstdint>

#include "platform/base/status_codes.h"
#include "platform/crypt/cert_context.h"

namespace velsor::crypto {

enum ChainCheck : std::int32_t {
  kCheckRevocation = 1,  // not revoked by a CRL of the issuer in the issuer's store
  kCheckSignature = 2,   // the issuer's signature on the certificate
  kCheckValidity = 4,    // now lies within the validity period
  kCheckChain = 8,       // a chain to a trusted root that the policy accepts
  kCheckAll = 15,
};

using status::kBadIssuerSignature;
using status::kChainRejected;
using status::kIssuerNotFound;
using status::kOutsideValidity;
using status::kRevoked;
inline constexpr std::int32_t kNoIssuerName = status::kNotText;

std::int32_t CheckCertChain(const crypt::CertContext& certificate, std::int32_t checks);

}  // namespace velsor::crypto
