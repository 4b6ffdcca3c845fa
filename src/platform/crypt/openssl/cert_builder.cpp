#include "platform/crypt/openssl/cert_builder.h"

#include <openssl/err.h>
#include <openssl/rsa.h>

#include <limits>

#include "platform/base/der.h"

namespace velsor::crypt {
namespace {

Error OpenSslFailure(const char* what) {
  char reason[256] = "";
  ERR_error_string_n(ERR_get_error(), reason, sizeof reason);
  ERR_clear_error();
  return Failure(E_FAIL, std::string(what) + ": " + reason);
}

Bytes Octets(std::string_view text) { return Bytes(text.begin(), text.end()); }

// A serial number whose content octets are exactly `serial`, sign byte and all.
Asn1IntegerPtr ExactInteger(const Bytes& serial) {
  if (serial.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    return nullptr;
  }
  Bytes der;
  der::AppendIdentifier(der, der::kInteger);
  der::AppendLength(der, static_cast<std::int32_t>(serial.size()));
  der.insert(der.end(), serial.begin(), serial.end());
  const unsigned char* cursor = der.data();
  return Asn1IntegerPtr(d2i_ASN1_INTEGER(nullptr, &cursor, static_cast<long>(der.size())));
}

bool AddName(X509_NAME* name, const std::vector<NameAttribute>& attributes) {
  for (const NameAttribute& attribute : attributes) {
    ASN1_OBJECT* object = OBJ_txt2obj(attribute.type.c_str(), 0);
    if (object == nullptr) return false;
    const int added = X509_NAME_add_entry_by_OBJ(
        name, object, attribute.stringType, attribute.value.data(),
        static_cast<int>(attribute.value.size()), -1, attribute.sameRdn ? -1 : 0);
    ASN1_OBJECT_free(object);
    if (added != 1) return false;
  }
  return true;
}

bool AddExtension(X509* certificate, const X509* issuer, int nid, const std::string& value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, const_cast<X509*>(issuer), certificate, nullptr, nullptr, 0);
  X509ExtensionPtr extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str()));
  return extension && X509_add_ext(certificate, extension.get(), -1) == 1;
}

}  // namespace

NameAttribute NameAttribute::Utf8(std::string type, std::string_view text, bool sameRdn) {
  return {std::move(type), Octets(text), V_ASN1_UTF8STRING, sameRdn};
}
NameAttribute NameAttribute::Printable(std::string type, std::string_view text, bool sameRdn) {
  return {std::move(type), Octets(text), V_ASN1_PRINTABLESTRING, sameRdn};
}
NameAttribute NameAttribute::Ia5(std::string type, std::string_view text, bool sameRdn) {
  return {std::move(type), Octets(text), V_ASN1_IA5STRING, sameRdn};
}
NameAttribute NameAttribute::Bmp(std::string type, std::u16string_view text, bool sameRdn) {
  Bytes value;
  for (char16_t c : text) {
    value.push_back(static_cast<std::uint8_t>(c >> 8));
    value.push_back(static_cast<std::uint8_t>(c));
  }
  return {std::move(type), std::move(value), V_ASN1_BMPSTRING, sameRdn};
}

EvpPkeyPtr GenerateRsaKey(int bits) { return EvpPkeyPtr(EVP_RSA_gen(static_cast<unsigned>(bits))); }

Result<X509Ptr> IssueCertificate(const CertificateRequest& request, const EVP_PKEY& subjectKey,
                                 const X509* issuer, const EVP_PKEY& issuerKey) {
  X509Ptr certificate(X509_new());
  Asn1IntegerPtr serial = ExactInteger(request.serial);
  if (!certificate || !serial) return OpenSslFailure("serial number");
  X509_set_version(certificate.get(), X509_VERSION_3);
  X509_set_serialNumber(certificate.get(), serial.get());
  if (!AddName(X509_get_subject_name(certificate.get()), request.subject)) {
    return OpenSslFailure("subject name");
  }
  const X509_NAME* issuerName =
      issuer != nullptr ? X509_get_subject_name(issuer) : X509_get_subject_name(certificate.get());
  if (X509_set_issuer_name(certificate.get(), issuerName) != 1 ||
      !ASN1_TIME_set(X509_getm_notBefore(certificate.get()), request.notBefore) ||
      !ASN1_TIME_set(X509_getm_notAfter(certificate.get()), request.notAfter) ||
      X509_set_pubkey(certificate.get(), const_cast<EVP_PKEY*>(&subjectKey)) != 1) {
    return OpenSslFailure("certificate fields");
  }
  const X509* signer = issuer != nullptr ? issuer : certificate.get();
  bool extensions = AddExtension(certificate.get(), signer, NID_basic_constraints,
                                 request.certificateAuthority ? "critical,CA:TRUE" : "CA:FALSE") &&
                    AddExtension(certificate.get(), signer, NID_subject_key_identifier, "hash");
  if (issuer != nullptr) {
    extensions = extensions && AddExtension(certificate.get(), signer, NID_authority_key_identifier,
                                            "keyid:always");
  }
  if (!request.keyUsage.empty()) {
    extensions =
        extensions && AddExtension(certificate.get(), signer, NID_key_usage, request.keyUsage);
  }
  if (!extensions) return OpenSslFailure("extensions");
  if (X509_sign(certificate.get(), const_cast<EVP_PKEY*>(&issuerKey), EVP_sha256()) <= 0) {
    return OpenSslFailure("signature");
  }
  return certificate;
}

Result<X509CrlPtr> IssueCrl(const X509& issuer, const EVP_PKEY& issuerKey,
                            const std::vector<RevokedSerial>& revoked, std::time_t thisUpdate,
                            std::time_t nextUpdate) {
  X509CrlPtr crl(X509_CRL_new());
  Asn1TimePtr last(ASN1_TIME_set(nullptr, thisUpdate));
  Asn1TimePtr next(ASN1_TIME_set(nullptr, nextUpdate));
  if (!crl || !last || !next || X509_CRL_set_version(crl.get(), 1) != 1 ||
      X509_CRL_set_issuer_name(crl.get(), X509_get_subject_name(&issuer)) != 1 ||
      X509_CRL_set1_lastUpdate(crl.get(), last.get()) != 1 ||
      X509_CRL_set1_nextUpdate(crl.get(), next.get()) != 1) {
    return OpenSslFailure("revocation list fields");
  }
  for (const RevokedSerial& entry : revoked) {
    X509RevokedPtr item(X509_REVOKED_new());
    Asn1IntegerPtr serial = ExactInteger(entry.serial);
    Asn1TimePtr when(ASN1_TIME_set(nullptr, entry.when));
    if (!item || !serial || !when || X509_REVOKED_set_serialNumber(item.get(), serial.get()) != 1 ||
        X509_REVOKED_set_revocationDate(item.get(), when.get()) != 1 ||
        X509_CRL_add0_revoked(crl.get(), item.get()) != 1) {
      return OpenSslFailure("revoked entry");
    }
    item.release();  // the list owns it now
  }
  X509_CRL_sort(crl.get());
  if (X509_CRL_sign(crl.get(), const_cast<EVP_PKEY*>(&issuerKey), EVP_sha256()) <= 0) {
    return OpenSslFailure("revocation list signature");
  }
  return crl;
}

Bytes EncodeCertificate(const X509& certificate) {
  unsigned char* der = nullptr;
  const int length = i2d_X509(&certificate, &der);
  Bytes bytes(der, der + std::max(length, 0));
  OPENSSL_free(der);
  return bytes;
}

Bytes EncodeCrl(const X509_CRL& crl) {
  unsigned char* der = nullptr;
  const int length = i2d_X509_CRL(const_cast<X509_CRL*>(&crl), &der);
  Bytes bytes(der, der + std::max(length, 0));
  OPENSSL_free(der);
  return bytes;
}

}  // namespace velsor::crypt
