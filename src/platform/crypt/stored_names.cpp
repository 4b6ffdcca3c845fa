#include "platform/crypt/stored_names.h"

#include "platform/crypt/name_text.h"

namespace velsor::crypt {

StoredCertNames NamesOf(const CertContext& certificate, std::int64_t id) {
  StoredCertNames names;
  names.id = id;
  names.subject = SubjectText(certificate);
  names.issuer = IssuerText(certificate);
  names.subjectSimple = SubjectSimpleText(certificate);
  names.issuerSimple = IssuerSimpleText(certificate);
  names.serialBlob = certificate.serialBlob();
  const ByteView issuer = certificate.encodedIssuer();
  names.encodedIssuer.assign(issuer.begin(), issuer.end());
  names.keyProvInfo = certificate.Property(CERT_KEY_PROV_INFO_PROP_ID);
  return names;
}

}  // namespace velsor::crypt
