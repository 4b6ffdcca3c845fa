#pragma once
// The certificates of strangers in a store that has collected thousands: `count` of them,
// C=CN, O=Scale, CN=Filler N, sharing one small key (theirs are never used), issued by
// `issuer`. Used by store_scale_bench and fill_store.

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "platform/crypt/openssl/cert_builder.h"

namespace velsor::bench {

inline crypt::CertificateRequest ScaleRequest(const std::string& commonName, Bytes serial) {
  crypt::CertificateRequest request;
  request.subject = {crypt::NameAttribute::Printable("C", "CN"),
                     crypt::NameAttribute::Utf8("O", "Scale"),
                     crypt::NameAttribute::Utf8("CN", commonName)};
  request.serial = std::move(serial);
  request.notBefore = std::time(nullptr) - 1000;
  request.notAfter = request.notBefore + 10000000;
  return request;
}

inline std::vector<Bytes> FillerCertificates(std::size_t count, const X509& issuer,
                                             const EVP_PKEY& issuerKey) {
  const auto key = crypt::GenerateRsaKey(1024);
  std::vector<Bytes> fillers;
  for (std::size_t i = 0; i < count; ++i) {
    const Bytes serial{0x10, static_cast<std::uint8_t>(i >> 16), static_cast<std::uint8_t>(i >> 8),
                       static_cast<std::uint8_t>(i)};
    fillers.push_back(crypt::EncodeCertificate(**crypt::IssueCertificate(
        ScaleRequest("Filler " + std::to_string(i), serial), *key, &issuer, issuerKey)));
  }
  return fillers;
}

}  // namespace velsor::bench
