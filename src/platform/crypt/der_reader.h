#pragma once
// Reads DER elements exactly as they are encoded, for the fields whose bytes matter as
// written (a certificate's serial number and issuer name): parsed forms normalise them.

#include <optional>

#include "platform/base/bytes.h"
#include "platform/base/der.h"

namespace velsor::crypt {

struct DerElement {
  ByteView whole;  // identifier, length and content octets
  ByteView content;
  der::Tag tag;
};

// The element at the start of `input`, which is advanced past it; nothing when the input
// does not begin with a whole definite-length element.
std::optional<DerElement> ReadDerElement(ByteView& input,
                                         der::Encoding encoding = der::Encoding::Der);

struct TbsFields {
  ByteView serialContent;  // the INTEGER's content octets, most significant first
  ByteView issuer;         // the whole Name element
  ByteView subject;
};

// The fields of a certificate's TBSCertificate; nothing for anything else. Read as BER:
// OpenSSL takes certificates whose lengths are not in DER's shortest form, and so do we.
std::optional<TbsFields> ReadTbsFields(ByteView certificate);

}  // namespace velsor::crypt
