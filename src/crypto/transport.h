#pragma once
// How a finished message leaves an engine and how one arrives: optionally compressed at
// the threshold, always Base64 with line breaks; on the way in, Base64-decoded and
// unpacked when it is a compressed member.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/bytes.h"
#include "platform/base/status_codes.h"

namespace velsor::crypto {

// The size from which attached messages are compressed unless a page says otherwise.
inline constexpr std::int32_t kDefaultCompressThreshold = 51200;

using status::kBase64DecodeFailed;
using status::kBase64EncodeFailed;
using status::kNoMemory;

struct PackedMessage {
  std::int32_t status = 0;
  std::string base64{};
};

// `compress`: a message of at least `threshold` bytes goes as a gzip member (one that
// cannot be compressed goes as it is).
PackedMessage PackMessage(Bytes message, bool compress, std::int32_t threshold);

struct UnpackedMessage {
  std::int32_t status = 0;
  Bytes message{};
};

// Base64-decodes: -10002 when the text cannot be decoded.
UnpackedMessage DecodeMessageText(std::string_view base64);

// Base64-decodes (-10002 when the text cannot be decoded) and unpacks a compressed member.
// Whether it was compressed is DecompressMessage's answer, not a comparison of lengths.
// A text handed over in `owned` is released once decoded, before the member inflates.
UnpackedMessage UnpackMessage(std::string_view base64, std::string* owned = nullptr);

// The same for a page's UTF-16 text, read where it lies in two passes (the first learns
// the decoded size and a compressed member's outline), so that only the message itself
// takes memory. Nothing when the text is not plain ASCII, does not decode cleanly, or is a
// member of another shape: UnpackMessage on its code-page conversion then decides.
std::optional<UnpackedMessage> UnpackWideMessage(std::u16string_view base64);

}  // namespace velsor::crypto
