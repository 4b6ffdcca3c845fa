#include "platform/crypt/der_reader.h"

#include "platform/base/der.h"

namespace velsor::crypt {
std::optional<DerElement> ReadDerElement(ByteView& input, der::Encoding encoding) {
  der::Cursor cursor(input, encoding);
  der::Header header;
  DerElement element;
  const auto content = cursor.ReadElement(header, &element.whole);
  if (!content) return std::nullopt;
  element.content = *content;
  element.tag = header.tag;
  input = input.subspan(element.whole.size());
  return element;
}

std::optional<TbsFields> ReadTbsFields(ByteView certificate) {
  constexpr auto kBer = der::Encoding::Ber;
  auto certificateElement = ReadDerElement(certificate, kBer);
  if (!certificateElement || certificateElement->tag != der::kSequence) return std::nullopt;
  ByteView inside = certificateElement->content;
  auto tbs = ReadDerElement(inside, kBer);
  if (!tbs || tbs->tag != der::kSequence) return std::nullopt;
  ByteView fields = tbs->content;
  auto next = ReadDerElement(fields, kBer);
  if (next && next->tag == der::ContextTag(0)) next = ReadDerElement(fields, kBer);  // version
  if (!next || next->tag != der::kInteger) return std::nullopt;
  TbsFields result;
  result.serialContent = next->content;
  const auto algorithm = ReadDerElement(fields, kBer);
  const auto issuer = ReadDerElement(fields, kBer);
  const auto validity = ReadDerElement(fields, kBer);
  const auto subject = ReadDerElement(fields, kBer);
  if (!algorithm || !issuer || !validity || !subject) return std::nullopt;
  result.issuer = issuer->whole;
  result.subject = subject->whole;
  return result;
}

}  // namespace velsor::crypt
