#pragma once
// The compressed form of large signed messages: one gzip member (RFC 1952) whose framing
// we write and read ourselves, with zlib's raw deflate in between. The functions keep the
// calling convention of the exported mem_compress and mem_uncompress: `destLength` holds
// the capacity of `dest` on entry and the size of the whole result on return, and a
// result that does not fit still reports its exact size.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/base/bytes.h"

namespace velsor::formats {

// zlib's status values, which the exports report.
inline constexpr std::int32_t kZOk = 0;
inline constexpr std::int32_t kZDataError = -3;
inline constexpr std::int32_t kZMemError = -4;
inline constexpr std::int32_t kZBufError = -5;

std::int32_t GzipCompress(const std::uint8_t* source, std::int32_t sourceLength, std::uint8_t* dest,
                          std::int32_t* destLength);

std::int32_t GzipUncompress(const std::uint8_t* source, std::int32_t sourceLength,
                            std::uint8_t* dest, std::int32_t* destLength);

// Replaces a message of at least `threshold` bytes by its compressed form; false when it
// left the message as it was (too short, or any failure).
bool CompressContent(Bytes& content, std::int32_t threshold);

// A message member may inflate to 256 MiB, or to 64 times its own size when that is more
// (no real message comes near that ratio; a bomb does), never past 2^31-1 bytes.
inline constexpr std::size_t kMaxMessageInflation = std::size_t{256} << 20;
inline constexpr std::size_t kMaxMessageRatio = 64;
std::size_t MessageInflationLimit(std::size_t compressedSize);

// Whether `size` bytes that begin with `start` have a member's shape: its magic, the
// deflate method, and room for the header and the trailer. Anything else is a message
// taken as it stands.
bool LooksLikeMember(ByteView start, std::size_t size);

// Replaces a gzip member by what it holds; false when it left the content as it was
// (not a member, corrupt, or any failure). A member whose size passes the limit above is
// corrupt and refused before its output takes any memory; so is one whose output differs
// from the size its trailer gives.
bool DecompressContent(Bytes& content);

// A member whose bytes arrive in pieces, as when they are decoded from a text on the way:
// a first pass over the text tells its size, its first bytes and its trailer.
struct MemberOutline {
  std::size_t size = 0;
  std::array<std::uint8_t, 10> head{};
  std::array<std::uint8_t, 8> trailer{};
};

// Inflates the member that `next` hands over from its first byte, piece by piece (an
// empty piece at the end), under DecompressContent's rules: the size its trailer gives,
// within MessageInflationLimit, its CRC, exactly the trailer after the data. Nothing when
// it breaks one, or when its header has optional fields (which would have to be found
// across pieces; every member we write has the plain header).
std::optional<Bytes> InflateMemberPieces(const MemberOutline& outline,
                                         const std::function<ByteView()>& next);

}  // namespace velsor::formats
