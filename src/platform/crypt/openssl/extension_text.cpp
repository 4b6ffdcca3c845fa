#include "platform/crypt/extension_text.h"

#include <string>

#include "platform/base/hex.h"
#include "platform/codepage/utf.h"
#include "platform/crypt/openssl/cert_context_openssl.h"

namespace velsor::crypt {
namespace {

using Asn1ObjectPtr = std::unique_ptr<ASN1_OBJECT, OpenSslFree<ASN1_OBJECT_free>>;

std::string HexBytes(const ASN1_OCTET_STRING* value) {
  return HexText(
      ByteView(ASN1_STRING_get0_data(value), static_cast<std::size_t>(ASN1_STRING_length(value))),
      HexCase::Lower, ' ');
}

// The printed lines, each trimmed, joined by ", ".
std::string JoinLines(std::string_view printed) {
  std::string text;
  while (!printed.empty()) {
    const auto end = printed.find('\n');
    std::string_view line = printed.substr(0, end);
    printed = end == std::string_view::npos ? std::string_view() : printed.substr(end + 1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.remove_suffix(1);
    if (line.empty()) continue;
    if (!text.empty()) text += ", ";
    text += line;
  }
  return text;
}

}  // namespace

namespace {

const X509_EXTENSION* FindExtension(const CertContext& certificate, std::string_view oid) {
  Asn1ObjectPtr object(OBJ_txt2obj(std::string(oid).c_str(), 1));
  if (!object) return nullptr;
  const int at = X509_get_ext_by_OBJ(X509Of(certificate), object.get(), -1);
  return at < 0 ? nullptr : X509_get_ext(X509Of(certificate), at);
}

std::u16string ExtensionDisplayText(const X509_EXTENSION& extension) {
  BioPtr out(BIO_new(BIO_s_mem()));
  if (out && X509V3_EXT_print(out.get(), const_cast<X509_EXTENSION*>(&extension), 0, 0) == 1) {
    char* data = nullptr;
    const long length = BIO_get_mem_data(out.get(), &data);
    const std::string text = JoinLines(std::string_view(data, static_cast<std::size_t>(length)));
    if (!text.empty()) return codepage::Utf8ToUtf16(text);
  }
  return codepage::Utf8ToUtf16(
      HexBytes(X509_EXTENSION_get_data(const_cast<X509_EXTENSION*>(&extension))));
}

}  // namespace

std::optional<std::u16string> ExtensionText(const CertContext& certificate, std::string_view oid) {
  const X509_EXTENSION* extension = FindExtension(certificate, oid);
  if (extension == nullptr) return std::nullopt;
  return ExtensionDisplayText(*extension);
}

}  // namespace velsor::crypt
