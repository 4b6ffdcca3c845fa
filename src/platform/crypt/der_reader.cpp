#include "platform/crypt/der_reader.h"

#include <openssl/asn1.h>

#include <limits>

namespace velsor::crypt {

std::optional<DerElement> ReadDerElement(ByteView& input) {
  if (input.empty() || input.size() > static_cast<std::size_t>(std::numeric_limits<long>::max())) {
    return std::nullopt;
  }
  const unsigned char* cursor = input.data();
  long length = 0;
  int tag = 0;
  int tagClass = 0;
  const int flags =
      ASN1_get_object(&cursor, &length, &tag, &tagClass, static_cast<long>(input.size()));
  // 0x80 marks an error, and an indefinite length (flags 0x21) has no place in DER.
  if ((flags & 0x80) != 0 || flags == 0x21) return std::nullopt;
  const auto headerSize = static_cast<std::size_t>(cursor - input.data());
  if (length < 0 || static_cast<std::size_t>(length) > input.size() - headerSize) {
    return std::nullopt;
  }
  DerElement element;
  element.whole = input.first(headerSize + static_cast<std::size_t>(length));
  element.content = input.subspan(headerSize, static_cast<std::size_t>(length));
  element.tag = tag;
  element.tagClass = tagClass;
  element.constructed = (flags & V_ASN1_CONSTRUCTED) != 0;
  input = input.subspan(element.whole.size());
  return element;
}

std::optional<TbsFields> ReadTbsFields(ByteView certificate) {
  auto certificateElement = ReadDerElement(certificate);
  if (!certificateElement || certificateElement->tag != V_ASN1_SEQUENCE) return std::nullopt;
  ByteView inside = certificateElement->content;
  auto tbs = ReadDerElement(inside);
  if (!tbs || tbs->tag != V_ASN1_SEQUENCE) return std::nullopt;
  ByteView fields = tbs->content;
  auto next = ReadDerElement(fields);
  if (next && next->tagClass == V_ASN1_CONTEXT_SPECIFIC && next->tag == 0) {
    next = ReadDerElement(fields);  // past the version
  }
  if (!next || next->tag != V_ASN1_INTEGER || next->tagClass != V_ASN1_UNIVERSAL) {
    return std::nullopt;
  }
  TbsFields result;
  result.serialContent = next->content;
  const auto algorithm = ReadDerElement(fields);
  const auto issuer = ReadDerElement(fields);
  const auto validity = ReadDerElement(fields);
  const auto subject = ReadDerElement(fields);
  if (!algorithm || !issuer || !validity || !subject) return std::nullopt;
  result.issuer = issuer->whole;
  result.subject = subject->whole;
  return result;
}

}  // namespace velsor::crypt
