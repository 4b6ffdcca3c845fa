#include "crypto/transport.h"

#include <new>

#include "formats/base64.h"
#include "formats/gzip_member.h"

namespace velsor::crypto {

PackedMessage PackMessage(Bytes message, bool compress, std::int32_t threshold) {
  try {
    if (compress) formats::CompressContent(message, threshold);
    std::int32_t length = 0;
    if (formats::Base64Encode(message, {}, length, formats::kBase64LineBreaks) !=
        formats::kBase64Ok) {
      return {kBase64EncodeFailed, {}};
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    if (formats::Base64Encode(message, text, length, formats::kBase64LineBreaks) !=
        formats::kBase64Ok) {
      return {kBase64EncodeFailed, {}};
    }
    return {0, std::move(text)};
  } catch (const std::bad_alloc&) {
    return {kNoMemory, {}};
  }
}

UnpackedMessage DecodeMessageText(std::string_view base64) {
  try {
    // Four characters make at most three bytes; the text's length would leave a third of
    // the buffer unused.
    Bytes message(base64.size() / 4 * 3 + 3);
    std::int32_t length = 0;
    if (formats::Base64Decode(base64, message, length) != formats::kBase64Ok) {
      return {kBase64DecodeFailed, {}};
    }
    message.resize(static_cast<std::size_t>(length));
    return {0, std::move(message)};
  } catch (const std::bad_alloc&) {
    return {kNoMemory, {}};
  }
}

UnpackedMessage UnpackMessage(std::string_view base64, std::string* owned) {
  UnpackedMessage received = DecodeMessageText(base64);
  if (owned != nullptr) std::string().swap(*owned);
  if (received.status != 0) return received;
  try {
    formats::DecompressContent(received.message);
  } catch (const std::bad_alloc&) {
    return {kNoMemory, {}};
  }
  return received;
}

}  // namespace velsor::crypto
