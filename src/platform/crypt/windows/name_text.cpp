// Name texts from the system's name formatting: the X500 form is CertNameToStr's, the
// simple form its values-only variant, as the string searches have always matched them.

#include "platform/crypt/name_text.h"

#include <vector>

#include "system_cert.h"

namespace velsor::crypt {
namespace {

std::u16string NameText(const CERT_NAME_BLOB& name, DWORD form) {
  CERT_NAME_BLOB copy = name;
  const DWORD length = CertNameToStrW(X509_ASN_ENCODING, &copy, form, nullptr, 0);
  if (length <= 1) return {};
  std::vector<wchar_t> text(length);
  CertNameToStrW(X509_ASN_ENCODING, &copy, form, text.data(), length);
  return FromWide(text.data());
}

DWORD X500Form(NameSeparator separator) {
  return CERT_X500_NAME_STR | (separator == NameSeparator::CrLf ? CERT_NAME_STR_CRLF_FLAG : 0);
}

}  // namespace

std::u16string SubjectText(const CertContext& certificate, NameSeparator separator) {
  return NameText(SystemContextOf(certificate)->pCertInfo->Subject, X500Form(separator));
}

std::u16string IssuerText(const CertContext& certificate, NameSeparator separator) {
  return NameText(SystemContextOf(certificate)->pCertInfo->Issuer, X500Form(separator));
}

std::u16string SubjectSimpleText(const CertContext& certificate) {
  return NameText(SystemContextOf(certificate)->pCertInfo->Subject, CERT_SIMPLE_NAME_STR);
}

std::u16string IssuerSimpleText(const CertContext& certificate) {
  return NameText(SystemContextOf(certificate)->pCertInfo->Issuer, CERT_SIMPLE_NAME_STR);
}

std::u16string IssuerDisplayName(const CertContext& certificate) {
  PCCERT_CONTEXT context = SystemContextOf(certificate);
  const DWORD length = CertGetNameStringW(context, CERT_NAME_SIMPLE_DISPLAY_TYPE,
                                          CERT_NAME_ISSUER_FLAG, nullptr, nullptr, 0);
  if (length <= 1) return {};
  std::vector<wchar_t> text(length);
  CertGetNameStringW(context, CERT_NAME_SIMPLE_DISPLAY_TYPE, CERT_NAME_ISSUER_FLAG, nullptr,
                     text.data(), length);
  return FromWide(text.data());
}

}  // namespace velsor::crypt
