#include "platform/crypt/der_reader.h"

#include "platform/base/der.h"

namespace velsor::crypt {
std::optional<DerElement> ReadDerElement(ByteView& input) {
  der::Cursor cursor(input);
  der::Header header;
  DerElement element;
  const auto content = cursor.ReadElement(header, &element.whole);
  if (!content) return std::nullopt;
  element.content = *content;
  element.tag = header.tag;
  element.tagClass = header.classByte & der::kClassMask;
  element.constructed = (header.classByte & der::kConstructed) != 0;
  input = input.subspan(element.whole.size());
  return element;
}

std::optional<TbsFields> ReadTbsFields(ByteView certificate) {
  auto certificateElement = ReadDerElement(certificate);
  if (!certificateElement || certificateElement->tag != der::kTagSequence) return std::nullopt;
  ByteView inside = certificateElement->content;
  auto tbs = ReadDerElement(inside);
  if (!tbs || tbs->tag != der::kTagSequence) return std::nullopt;
  ByteView fields = tbs->content;
  auto next = ReadDerElement(fields);
  if (next && next->tagClass == der::kContextSpecific && next->tag == 0) {
    next = ReadDerElement(fields);  // past the version
  }
  if (!next || next->tag != der::kTagInteger || next->tagClass != der::kUniversal) {
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
