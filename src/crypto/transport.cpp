#include "crypto/transport.h"

#include <algorithm>
#include <functional>
#include <new>

#include "formats/base64.h"
#include "formats/gzip_member.h"
#include "formats/wide_base64.h"

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

namespace {

// The first pass: the decoded size, the first bytes and the last eight.
std::optional<formats::MemberOutline> Outline(std::u16string_view base64) {
  formats::WideBase64Reader reader(base64);
  formats::MemberOutline outline;
  for (;;) {
    const auto piece = reader.Next();
    if (!piece) return std::nullopt;
    if (piece->empty()) break;
    for (std::size_t i = 0; outline.size + i < outline.head.size() && i < piece->size(); ++i) {
      outline.head[outline.size + i] = (*piece)[i];
    }
    // The last eight bytes so far: what is still wanted of the earlier ones, then the piece's.
    auto& tail = outline.trailer;
    const std::size_t fresh = std::min(piece->size(), tail.size());
    std::copy(tail.begin() + static_cast<std::ptrdiff_t>(fresh), tail.end(), tail.begin());
    std::copy(piece->end() - static_cast<std::ptrdiff_t>(fresh), piece->end(),
              tail.end() - static_cast<std::ptrdiff_t>(fresh));
    outline.size += piece->size();
  }
  if (reader.Finish() != formats::kBase64Ok || reader.emptied() || outline.size == 0) {
    return std::nullopt;
  }
  return outline;
}

}  // namespace

std::optional<UnpackedMessage> UnpackWideMessage(std::u16string_view base64) {
  const auto outline = Outline(base64);
  if (!outline) return std::nullopt;
  try {
    // The second pass: the decoded pieces, then an empty one (the first pass read them all).
    formats::WideBase64Reader reader(base64);
    const std::function<ByteView()> next = [&reader] {
      return reader.Next().value_or(ByteView());
    };
    if (!formats::LooksLikeMember(outline->head, outline->size)) {
      Bytes message;
      message.reserve(outline->size);
      for (ByteView piece = next(); !piece.empty(); piece = next()) {
        message.insert(message.end(), piece.begin(), piece.end());
      }
      return UnpackedMessage{0, std::move(message)};
    }
    auto message = formats::InflateMemberPieces(*outline, next);
    if (!message) return std::nullopt;
    return UnpackedMessage{0, std::move(*message)};
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace velsor::crypto
