// The hand-written SignedData parser, and so BerDecode with every format it uses, over
// arbitrary bytes.

#include <cstdint>

#include "crypto/signed_data_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const velsor::ByteView message(data, size);
  velsor::crypto::ParseSignedData(message, true);
  velsor::crypto::ParseSignedData(message, false);
  return 0;
}
