#pragma once
// Reads DER elements exactly as they are encoded, for the fields whose bytes matter as
// written (a certificate's serial number and issuer name): parsed forms normalise them.

#include <optional>

#include "platform/base/bytes.h"

namespace velsor::crypt {

struct DerElement {
  ByteView whole;  // identifier, length and content octets
  ByteView content;
  int tag = 0;
  int tagClass = 0;  // the class bits of the identifier octet (0x00, 0x40, 0x80, 0xC0)
  bool constructed = false;
};

// The element at the start of `input`, which is advanced past it; nothing when the input
// does not begin with a whole definite-length element.
std::optional<DerElement> ReadDerElement(ByteView& input);

struct TbsFields {
  ByteView serialContent;  // the INTEGER's content octets, most significant first
  ByteView issuer;         // the whole Name element
  ByteView subject;
};

// The fields of a certificate's TBSCertificate; nothing for anything else.
std::optional<TbsFields> ReadTbsFields(ByteView certificate);

}  // namespace velsor::crypt
