#pragma once
// The compressed form of large signed messages: one gzip member (RFC 1952) whose framing
// we write and read ourselves, with zlib's raw deflate in between. Failures carry zlib's
// own values, which the exported mem_compress and mem_uncompress hand on: Z_MEM_ERROR when
// memory runs out, Z_DATA_ERROR for input that is no member or is corrupt, and for a
// result past 2^31-1 bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "platform/base/bytes.h"
#include "platform/base/result.h"

namespace velsor::formats {

// A result written into the caller's room as far as it fits: its whole size, whether it
// fitted or not, so that a caller may ask once with no room and again with enough.
struct SizedOutput {
  std::size_t size = 0;
  bool fits = false;
};

// The member that holds `source` (which may be empty).
Result<SizedOutput> GzipCompress(ByteView source, std::span<std::uint8_t> dest);

// What a member holds; Z_DATA_ERROR also for a member of 18 bytes or fewer.
Result<SizedOutput> GzipUncompress(ByteView member, std::span<std::uint8_t> dest);

// The member that holds a message (empty or longer than 2^31-1 bytes: Z_DATA_ERROR). The
// member is used even when it is longer than the message.
Result<Bytes> CompressMessage(ByteView message);

// A message member may inflate to 256 MiB, or to 64 times its own size when that is more
// (no real message comes near that ratio; a bomb does), never past 2^31-1 bytes.
inline constexpr std::size_t kMaxMessageInflation = std::size_t{256} << 20;
inline constexpr std::size_t kMaxMessageRatio = 64;
std::size_t MessageInflationLimit(std::size_t compressedSize);

// Whether `size` bytes that begin with `start` have a member's shape: its magic, the
// deflate method, and room for the header and the trailer. Anything else is a message
// taken as it stands.
bool LooksLikeMember(ByteView start, std::size_t size);

// What a message member holds: Z_DATA_ERROR when the content is not a member (see
// LooksLikeMember) or is corrupt. A member whose size passes the limit above is corrupt
// and refused before its output takes any memory; so is one whose output differs from the
// size its trailer gives.
Result<Bytes> DecompressMessage(ByteView content);

// A member whose bytes arrive in pieces, as when they are decoded from a text on the way:
// a first pass over the text tells its size, its first bytes and its trailer.
struct MemberOutline {
  std::size_t size = 0;
  std::array<std::uint8_t, 10> head{};
  std::array<std::uint8_t, 8> trailer{};
};

// Inflates the member that `next` hands over from its first byte, piece by piece (an
// empty piece at the end), under DecompressMessage's rules: the size its trailer gives,
// within MessageInflationLimit, its CRC, exactly the trailer after the data. Z_DATA_ERROR
// when it breaks one, or when its header has optional fields (which would have to be found
// across pieces; every member we write has the plain header).
Result<Bytes> InflateMemberPieces(const MemberOutline& outline,
                                  const std::function<ByteView()>& next);

}  // namespace velsor::formats
