#include "formats/gzip_member.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <span>

namespace velsor::formats {
namespace {

constexpr std::size_t kWorkSize = 16384;
constexpr std::size_t kHeaderSize = 10;
constexpr std::size_t kTrailerSize = 8;
constexpr std::uint8_t kHeader[kHeaderSize] = {0x1F, 0x8B, 8, 0, 0, 0, 0, 0, 0, 11};
constexpr std::size_t kMaxSize = std::numeric_limits<std::int32_t>::max();

enum HeaderFlag : std::uint8_t {
  kHeaderCheck = 0x02,
  kExtraField = 0x04,
  kName = 0x08,
  kComment = 0x10,
  kReserved = 0xE0,
};

struct DeflateEnd {
  void operator()(z_stream* stream) const { deflateEnd(stream); }
};
struct InflateEnd {
  void operator()(z_stream* stream) const { inflateEnd(stream); }
};

// The caller's buffer: whole pieces are stored only where they fit, but the offset always
// advances, so the final offset is the exact size needed.
class OutputCursor {
 public:
  OutputCursor(std::uint8_t* dest, std::size_t capacity, std::size_t start)
      : dest_(dest), capacity_(dest != nullptr ? capacity : 0), offset_(start) {}

  void Append(const std::uint8_t* piece, std::size_t length) {
    if (length > 0 && length <= capacity_ && offset_ <= capacity_ - length) {
      std::memcpy(dest_ + offset_, piece, length);
    }
    offset_ += length;
  }
  // Output that is already in place, or that would not have fitted: only counted.
  void Advance(std::size_t length) { offset_ += length; }
  void AppendLittleEndian(std::uint32_t value) {
    for (int i = 0; i < 4; ++i, value >>= 8) {
      if (offset_ < capacity_) dest_[offset_] = static_cast<std::uint8_t>(value);
      ++offset_;
    }
  }
  std::size_t offset() const { return offset_; }

 private:
  std::uint8_t* dest_;
  std::size_t capacity_;
  std::size_t offset_;
};

std::size_t Capacity(const std::uint8_t* dest, const std::int32_t* destLength) {
  return dest != nullptr && *destLength > 0 ? static_cast<std::size_t>(*destLength) : 0;
}

std::uint32_t ReadLittleEndian(const std::uint8_t* bytes) {
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (std::uint32_t{bytes[3]} << 24);
}

// Where the deflate data of a member starts, past the header and its optional fields.
std::optional<std::size_t> DeflateDataStart(ByteView member) {
  if (member[0] != 0x1F || member[1] != 0x8B || member[2] != Z_DEFLATED) return std::nullopt;
  const std::uint8_t flags = member[3];
  if (flags & kReserved) return std::nullopt;
  std::size_t at = kHeaderSize;
  if (flags & kExtraField) {
    if (member.size() - at < 2) return std::nullopt;
    const std::size_t extraLength = member[at] | (member[at + 1] << 8);
    at += 2;
    if (member.size() - at < extraLength) return std::nullopt;
    at += extraLength;
  }
  for (HeaderFlag text : {kName, kComment}) {
    if (!(flags & text)) continue;
    const auto end = std::find(member.begin() + static_cast<std::ptrdiff_t>(at), member.end(), 0);
    if (end == member.end()) return std::nullopt;
    at = static_cast<std::size_t>(end - member.begin()) + 1;
  }
  if (flags & kHeaderCheck) {
    if (member.size() - at < 2) return std::nullopt;
    at += 2;
  }
  return at;
}

}  // namespace

std::int32_t GzipCompress(const std::uint8_t* source, std::int32_t sourceLength, std::uint8_t* dest,
                          std::int32_t* destLength) {
  if (destLength == nullptr) return kZDataError;
  std::uint32_t crc = crc32(0, nullptr, 0);
  z_stream stream{};
  if (int status = deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                                Z_DEFAULT_STRATEGY);
      status != Z_OK) {
    return status;
  }
  std::unique_ptr<z_stream, DeflateEnd> streamOwner(&stream);
  if (source == nullptr || sourceLength == 0) return kZDataError;
  // A negative length counts as no data at all.
  const std::size_t length = sourceLength < 0 ? 0 : static_cast<std::size_t>(sourceLength);

  const std::size_t capacity = Capacity(dest, destLength);
  // Without room for header and trailer the member cannot fit; only its size is learnt.
  const bool writeHeader = capacity >= kHeaderSize + kTrailerSize;
  if (writeHeader) std::memcpy(dest, kHeader, kHeaderSize);
  OutputCursor out(writeHeader ? dest : nullptr, capacity, kHeaderSize);

  // zlib reads the caller's data where it lies and writes straight into the caller's
  // buffer while it has room (but for the trailer's); past that, output passes through a
  // work buffer only to be counted.
  std::unique_ptr<std::uint8_t[]> overflow(new (std::nothrow) std::uint8_t[kWorkSize]);
  if (!overflow) return kZMemError;
  const std::size_t directRoom = writeHeader ? capacity - kHeaderSize - kTrailerSize : 0;
  std::size_t written = 0;  // bytes zlib put into the caller's buffer

  crc = crc32(crc, source, static_cast<uInt>(length));
  stream.next_in = const_cast<std::uint8_t*>(source);
  stream.avail_in = static_cast<uInt>(length);
  for (;;) {
    const bool direct = written < directRoom;
    const std::size_t roomSize =
        direct ? std::min<std::size_t>(directRoom - written, std::numeric_limits<uInt>::max())
               : kWorkSize;
    stream.next_out = direct ? dest + kHeaderSize + written : overflow.get();
    stream.avail_out = static_cast<uInt>(roomSize);
    const int status = deflate(&stream, Z_FINISH);
    const std::size_t produced = roomSize - stream.avail_out;
    out.Advance(produced);
    if (direct) written += produced;
    if (status == Z_STREAM_END) break;
    if (status != Z_OK && status != Z_BUF_ERROR) return status;
  }
  out.AppendLittleEndian(crc);
  out.AppendLittleEndian(static_cast<std::uint32_t>(length));

  if (out.offset() > kMaxSize) return kZDataError;
  *destLength = static_cast<std::int32_t>(out.offset());
  return out.offset() <= capacity ? kZOk : kZBufError;
}

namespace {

// Inflates deflate data that `next` hands over piece by piece (an empty piece when there
// is no more). `roomAt(inflated)` says where the output
// from that offset may go (a span of at least one byte); `took(piece)` sees each piece
// once it is written there and may stop the work by answering false. On success
// `inflated` holds the whole size, `crc` the CRC of the output and `unused` the bytes of
// the last piece that follow the deflate data.
template <class Next, class RoomAt, class Took>
std::int32_t InflatePieces(Next&& next, RoomAt&& roomAt, Took&& took, std::size_t& inflated,
                           std::uint32_t& crc, std::size_t& unused) {
  crc = crc32(0, nullptr, 0);
  z_stream stream{};
  if (int status = inflateInit2(&stream, -MAX_WBITS); status != Z_OK) return status;
  std::unique_ptr<z_stream, InflateEnd> streamOwner(&stream);

  inflated = 0;
  for (;;) {
    if (stream.avail_in == 0) {
      const ByteView piece = next();
      // The source ran out before the deflate data ended.
      if (piece.empty()) return kZDataError;
      stream.next_in = const_cast<std::uint8_t*>(piece.data());
      if (piece.size() > std::numeric_limits<uInt>::max()) return kZDataError;
      stream.avail_in = static_cast<uInt>(piece.size());
    }
    const std::span<std::uint8_t> room = roomAt(inflated);
    const std::size_t roomSize =
        std::min<std::size_t>(room.size(), std::numeric_limits<uInt>::max());
    stream.next_out = room.data();
    stream.avail_out = static_cast<uInt>(roomSize);
    const int status = inflate(&stream, Z_NO_FLUSH);
    if (status == Z_MEM_ERROR) return kZMemError;
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) return kZDataError;
    // zlib reports no progress only when it lacks input or room; anything else is a
    // stream it cannot go on with.
    if (status == Z_BUF_ERROR && stream.avail_in != 0 && stream.avail_out != 0) {
      return kZDataError;
    }
    const std::size_t produced = roomSize - stream.avail_out;
    // The size is reported in 32 bits; a member that inflates past that is refused.
    if (produced > kMaxSize - inflated) return kZDataError;
    crc = crc32(crc, room.data(), static_cast<uInt>(produced));
    if (!took(room.first(produced))) return kZDataError;
    inflated += produced;
    if (status == Z_STREAM_END) break;
  }
  unused = stream.avail_in;
  return kZOk;
}

// A whole member in memory. Exactly the trailer must follow the deflate data, and its CRC
// must match.
template <class RoomAt, class Took>
std::int32_t InflateMember(ByteView member, RoomAt&& roomAt, Took&& took, std::size_t& inflated) {
  const auto dataStart = DeflateDataStart(member);
  if (!dataStart) return kZDataError;
  std::size_t unread = *dataStart;  // first source byte not yet handed to inflate
  const auto next = [&] {
    const ByteView piece = member.subspan(unread, std::min(kWorkSize, member.size() - unread));
    unread += piece.size();
    return piece;
  };
  std::uint32_t crc = 0;
  std::size_t unused = 0;
  if (std::int32_t status = InflatePieces(next, roomAt, took, inflated, crc, unused);
      status != kZOk) {
    return status;
  }
  // Exactly the trailer must remain, wherever the pieces ended.
  if (unused + (member.size() - unread) != kTrailerSize) return kZDataError;
  if (ReadLittleEndian(member.data() + member.size() - kTrailerSize) != crc) return kZDataError;
  return kZOk;
}

}  // namespace

std::int32_t GzipUncompress(const std::uint8_t* source, std::int32_t sourceLength,
                            std::uint8_t* dest, std::int32_t* destLength) {
  if (destLength == nullptr) return kZDataError;
  if (source == nullptr || sourceLength <= static_cast<std::int32_t>(kHeaderSize + kTrailerSize)) {
    return kZDataError;
  }
  // Only output that no longer fits the caller's buffer passes through this one.
  std::unique_ptr<std::uint8_t[]> overflow(new (std::nothrow) std::uint8_t[kWorkSize]);
  if (!overflow) return kZMemError;
  const std::size_t capacity = Capacity(dest, destLength);
  std::size_t inflated = 0;
  const std::int32_t status = InflateMember(
      ByteView(source, static_cast<std::size_t>(sourceLength)),
      // Straight into the caller's buffer while it has room, which spares zlib and us a
      // copy of every byte; past its end only the size is learnt.
      [&](std::size_t at) {
        return at < capacity ? std::span(dest + at, capacity - at)
                             : std::span(overflow.get(), kWorkSize);
      },
      [](ByteView) { return true; }, inflated);
  if (status != kZOk) return status;
  *destLength = static_cast<std::int32_t>(inflated);
  return inflated <= capacity ? kZOk : kZBufError;
}

namespace {

using Codec = std::int32_t (*)(const std::uint8_t*, std::int32_t, std::uint8_t*, std::int32_t*);

// Runs a codec into a buffer of `firstCapacity` bytes, and once more with the size it
// asked for when that was too small.
std::optional<Bytes> RunWithRetry(Codec codec, const Bytes& content, std::size_t firstCapacity) {
  try {
    Bytes result(std::min(firstCapacity, kMaxSize));
    for (int attempt = 0; attempt < 2; ++attempt) {
      auto size = static_cast<std::int32_t>(result.size());
      const std::int32_t status =
          codec(content.data(), static_cast<std::int32_t>(content.size()), result.data(), &size);
      if (status == kZOk) {
        result.resize(static_cast<std::size_t>(size));
        return result;
      }
      if (status != kZBufError) return std::nullopt;
      // The first buffer goes before the second is taken: nothing in it is kept.
      Bytes().swap(result);
      result.resize(static_cast<std::size_t>(size));
    }
  } catch (const std::bad_alloc&) {
  }
  return std::nullopt;
}

}  // namespace

bool CompressContent(Bytes& content, std::int32_t threshold) {
  if (content.empty() || content.size() > kMaxSize) return false;
  if (static_cast<std::int64_t>(content.size()) < threshold) return false;
  // Deflate's bound on its output, so that even content that does not shrink needs one
  // buffer only.
  const std::size_t bound =
      compressBound(static_cast<uLong>(content.size())) + kHeaderSize + kTrailerSize;
  auto packed = RunWithRetry(&GzipCompress, content, bound);
  if (!packed) return false;
  content = std::move(*packed);
  return true;
}

std::size_t MessageInflationLimit(std::size_t compressedSize) {
  if (compressedSize > kMaxSize / kMaxMessageRatio) return kMaxSize;
  return std::min(kMaxSize, std::max(kMaxMessageInflation, compressedSize * kMaxMessageRatio));
}

namespace {

// The output of `inflate(roomAt, took)` gathered into one allocation of the size the
// trailer claims: a false size fails as soon as the output passes it, and the allocation
// takes memory only as the output fills it.
template <class Inflate>
std::optional<Bytes> InflateToClaimedSize(std::size_t claimed, Inflate&& inflate) {
  try {
    Bytes inflated;
    inflated.reserve(claimed);
    std::array<std::uint8_t, kWorkSize> work;
    const auto roomAt = [&](std::size_t) { return std::span(work); };
    const auto took = [&](ByteView piece) {
      if (piece.size() > claimed - inflated.size()) return false;
      inflated.insert(inflated.end(), piece.begin(), piece.end());
      return true;
    };
    if (!inflate(roomAt, took) || inflated.size() != claimed) return std::nullopt;
    return inflated;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace

bool LooksLikeMember(ByteView start, std::size_t size) {
  return size > kHeaderSize + kTrailerSize && start.size() >= 3 && start[0] == 0x1F &&
         start[1] == 0x8B && start[2] == Z_DEFLATED;
}

bool DecompressContent(Bytes& content) {
  if (content.size() > kMaxSize || !LooksLikeMember(content, content.size())) return false;
  // The trailer tells the size, and a member that inflates to anything else is corrupt: a
  // size past the limit is refused before any memory is taken.
  const std::size_t claimed = ReadLittleEndian(content.data() + content.size() - 4);
  if (claimed > MessageInflationLimit(content.size())) return false;
  auto inflated = InflateToClaimedSize(claimed, [&](auto& roomAt, auto& took) {
    std::size_t size = 0;
    return InflateMember(content, roomAt, took, size) == kZOk;
  });
  if (!inflated) return false;
  content = std::move(*inflated);
  return true;
}

std::optional<Bytes> InflateMemberPieces(const MemberOutline& outline,
                                         const std::function<ByteView()>& next) {
  // Only the plain header, as every member we write has it; optional fields would have to
  // be found across pieces.
  if (outline.size > kMaxSize || !LooksLikeMember(outline.head, outline.size) ||
      outline.head[3] != 0) {
    return std::nullopt;
  }
  const std::size_t claimed = ReadLittleEndian(outline.trailer.data() + 4);
  if (claimed > MessageInflationLimit(outline.size)) return std::nullopt;

  std::size_t handedOver = 0;
  std::size_t headerLeft = kHeaderSize;
  const auto deflateData = [&]() -> ByteView {
    for (;;) {
      ByteView piece = next();
      if (piece.empty()) return {};
      handedOver += piece.size();
      if (handedOver > outline.size) return {};
      const std::size_t skipped = std::min(headerLeft, piece.size());
      headerLeft -= skipped;
      piece = piece.subspan(skipped);
      if (!piece.empty()) return piece;
    }
  };
  return InflateToClaimedSize(claimed, [&](auto& roomAt, auto& took) {
    std::size_t inflated = 0;
    std::uint32_t crc = 0;
    std::size_t unused = 0;
    return InflatePieces(deflateData, roomAt, took, inflated, crc, unused) == kZOk &&
           unused + (outline.size - handedOver) == kTrailerSize &&
           ReadLittleEndian(outline.trailer.data()) == crc;
  });
}

}  // namespace velsor::formats
