#include "platform/crypt/cert_find.h"

#include <algorithm>

#include "platform/codepage/utf.h"
#include "platform/crypt/name_text.h"

namespace velsor::crypt {

bool ContainsIgnoringCase(std::u16string_view text, std::u16string_view part) {
  return codepage::FoldCase(text).find(codepage::FoldCase(part)) != std::u16string::npos;
}

namespace {

template <class Matches>
std::vector<CertContextPtr> Filter(const std::vector<CertContextPtr>& certificates,
                                   Matches&& matches) {
  std::vector<CertContextPtr> found;
  std::copy_if(certificates.begin(), certificates.end(), std::back_inserter(found),
               [&](const CertContextPtr& certificate) { return matches(*certificate); });
  return found;
}

// The significant bytes of an integer blob: trailing (most significant) sign-extension
// bytes dropped while the byte below them carries the same sign.
ByteView Significant(ByteView blob) {
  while (blob.size() > 1) {
    const std::uint8_t top = blob.back();
    const std::uint8_t next = blob[blob.size() - 2];
    const bool redundant =
        (top == 0x00 && (next & 0x80) == 0) || (top == 0xFF && (next & 0x80) != 0);
    if (!redundant) break;
    blob = blob.first(blob.size() - 1);
  }
  return blob;
}

}  // namespace

std::vector<CertContextPtr> FindBySubjectString(const std::vector<CertContextPtr>& certificates,
                                                std::u16string_view part) {
  return Filter(certificates, [&](const CertContext& certificate) {
    return ContainsIgnoringCase(SubjectSimpleText(certificate), part);
  });
}

bool IntegerBlobsEqual(ByteView first, ByteView second) {
  const ByteView a = Significant(first);
  const ByteView b = Significant(second);
  return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

}  // namespace velsor::crypt
