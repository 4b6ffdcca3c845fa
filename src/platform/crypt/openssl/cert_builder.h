#pragma once
// Issues RSA keys, certificates and revocation lists with OpenSSL, for the demo store and
// for tests: names with chosen string types and multi-valued RDNs, serial numbers given
// byte for byte, and any validity period.

#include <ctime>
#include <string>
#include <vector>

#include "platform/base/bytes.h"
#include "platform/base/result.h"
#include "platform/crypt/openssl/openssl_ptr.h"

namespace velsor::crypt {

struct NameAttribute {
  std::string type;      // a short name ("CN", "emailAddress") or a dotted OID
  Bytes value;           // content octets in the encoding of `stringType`
  int stringType;        // V_ASN1_UTF8STRING, V_ASN1_PRINTABLESTRING, V_ASN1_BMPSTRING, ...
  bool sameRdn = false;  // joins the previous attribute's RDN

  static NameAttribute Utf8(std::string type, std::string_view text, bool sameRdn = false);
  static NameAttribute Printable(std::string type, std::string_view text, bool sameRdn = false);
  static NameAttribute Ia5(std::string type, std::string_view text, bool sameRdn = false);
  static NameAttribute Bmp(std::string type, std::u16string_view text, bool sameRdn = false);
};

struct CertificateRequest {
  std::vector<NameAttribute> subject;
  Bytes serial;  // the INTEGER's content octets exactly, most significant first
  std::time_t notBefore = 0;
  std::time_t notAfter = 0;
  bool certificateAuthority = false;
  // keyUsage text as OpenSSL's configuration spells it, e.g. "digitalSignature".
  std::string keyUsage;
};

EvpPkeyPtr GenerateRsaKey(int bits);

// With no issuer the certificate is self-signed with `issuerKey`, which must then be the
// subject's own key.
Result<X509Ptr> IssueCertificate(const CertificateRequest& request, const EVP_PKEY& subjectKey,
                                 const X509* issuer, const EVP_PKEY& issuerKey);

struct RevokedSerial {
  Bytes serial;
  std::time_t when;
};

Result<X509CrlPtr> IssueCrl(const X509& issuer, const EVP_PKEY& issuerKey,
                            const std::vector<RevokedSerial>& revoked, std::time_t thisUpdate,
                            std::time_t nextUpdate);

Bytes EncodeCertificate(const X509& certificate);
Bytes EncodeCrl(const X509_CRL& crl);

}  // namespace velsor::crypt
