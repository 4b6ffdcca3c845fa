#pragma once
// An attached signed message's content where it lies in the encoding, and the same message
// with the content left out. Checking the shorter message as a detached one against the
// content in place gives the same answer as checking the whole, without a parsed copy of a
// content that may be most of the message.

#include <cstddef>
#include <optional>

#include "platform/base/bytes.h"

namespace velsor::crypt {

struct SplitMessage {
  Bytes detached;  // the message without its content
  std::size_t contentOffset = 0;
  std::size_t contentSize = 0;
};

// Nothing unless `message` starts with a definite-length ContentInfo of type signedData
// whose encapsulated content is of type data, held in one primitive OCTET STRING of at
// least one byte. Whatever follows that ContentInfo is ignored, as the parser ignores it.
std::optional<SplitMessage> SplitAttachedContent(ByteView message);

}  // namespace velsor::crypt
