// Extension texts from the system's own formatting (one line, as CryptFormatObject writes
// it without the multi-line flag), or the value's bytes when it cannot format one.

#include "platform/crypt/extension_text.h"

#include <string>
#include <vector>

#include "platform/base/hex.h"
#include "system_cert.h"

namespace velsor::crypt {

std::optional<std::u16string> ExtensionText(const CertContext& certificate, std::string_view oid) {
  const CERT_INFO* info = SystemContextOf(certificate)->pCertInfo;
  const std::string name(oid);
  const CERT_EXTENSION* extension =
      CertFindExtension(name.c_str(), info->cExtension, info->rgExtension);
  if (extension == nullptr) return std::nullopt;
  const CRYPT_OBJID_BLOB& value = extension->Value;
  DWORD size = 0;
  if (CryptFormatObject(X509_ASN_ENCODING, 0, 0, nullptr, name.c_str(), value.pbData, value.cbData,
                        nullptr, &size) &&
      size > sizeof(wchar_t)) {
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1);
    if (CryptFormatObject(X509_ASN_ENCODING, 0, 0, nullptr, name.c_str(), value.pbData,
                          value.cbData, text.data(), &size)) {
      return FromWide(text.data());
    }
  }
  const std::string hex = HexText(ByteView(value.pbData, value.cbData), HexCase::Lower, ' ');
  return std::u16string(hex.begin(), hex.end());
}

}  // namespace velsor::crypt
