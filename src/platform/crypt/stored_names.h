#pragma once
// The texts and bytes a certificate search compares, kept beside each stored certificate
// when it enters a store, so that a search reads them instead of decoding every
// certificate and decodes only the ones it returns.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/base/bytes.h"
#include "platform/crypt/cert_context.h"

namespace velsor::crypt {

struct StoredCertNames {
  std::int64_t id = 0;
  std::u16string subject;  // X500 form, ", " between RDNs
  std::u16string issuer;
  std::u16string subjectSimple;  // simple form, as the string searches match it
  std::u16string issuerSimple;
  Bytes serialBlob;  // least significant byte first, as CertContext::serialBlob
  Bytes encodedIssuer;
  std::optional<Bytes> keyProvInfo;  // the key link property as stored, when set
};

// The names of a certificate as a search reads them, with its key link when it has one.
StoredCertNames NamesOf(const CertContext& certificate, std::int64_t id);

}  // namespace velsor::crypt
