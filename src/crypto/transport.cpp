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
    if (compress && static_cast<std::int64_t>(message.size()) >= threshold) {
      // A message that cannot be compressed goes as it is.
      if (Result<Bytes> packed = formats::CompressMessage(message)) message = std::move(*packed);
    }
    Result<std::string> text = formats::Base64Encode(message);
    if (!text) return {kBase64EncodeFailed, {}};
    return {0, std::move(*text)};
  } catch (const std::bad_alloc&) {
    return {kNoMemory, {}};
  }
}

UnpackedMessage DecodeMessageText(std::string_view base64) {
  try {
    Result<Bytes> message = formats::Base64Decode(base64);
    if (!message) return {kBase64DecodeFailed, {}};
    return {0, std::move(*message)};
  } catch (const std::bad_alloc&) {
    return {kNoMemory, {}};
  }
}

UnpackedMessage UnpackMessage(std::string_view base64, std::string* owned) {
  UnpackedMessage received = DecodeMessageText(base64);
  if (owned != nullptr) std::string().swap(*owned);
  if (received.status != 0) return received;
  try {
    if (Result<Bytes> inflated = formats::DecompressMessage(received.message)) {
      received.message = std::move(*inflated);
    }
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
  if (!reader.Finish() || reader.emptied() || outline.size == 0) {
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
    const std::function<ByteView()> next = [&reader] { return reader.Next().value_or(ByteView()); };
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
