#pragma once
// The POSIX service's side of a certificate: OpenSSL's parsed form behind CertContext.
// Only the crypt service's own code and POSIX tools include this.

#include "platform/crypt/cert_context.h"
#include "platform/crypt/openssl/openssl_ptr.h"

namespace velsor::crypt {

struct CertContext::Decoded {
  X509Ptr x509;
};

inline const X509* X509Of(const CertContext& certificate) {
  return certificate.decoded().x509.get();
}
inline const X509_NAME* SubjectNameOf(const CertContext& certificate) {
  return X509_get_subject_name(X509Of(certificate));
}
inline const X509_NAME* IssuerNameOf(const CertContext& certificate) {
  return X509_get_issuer_name(X509Of(certificate));
}

// A certificate OpenSSL decoded elsewhere (one found inside a message), as a context.
Result<CertContextPtr> CertContextFromX509(const X509& certificate);

}  // namespace velsor::crypt
