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

Error DataError(const char* detail) { return Failure(Z_DATA_ERROR, detail); }
Error MemError() { return Failure(Z_MEM_ERROR, "no memory for a gzip member"); }

}  // namespace

Result<SizedOutput> GzipCompress(ByteView source, std::span<std::uint8_t> dest) {
  std::uint32_t crc = crc32(0, nullptr, 0);
  z_stream stream{};
  if (int status = deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                                Z_DEFAULT_STRATEGY);
      status != Z_OK) {
    return Failure(status, "deflate cannot start");
  }
  std::unique_ptr<z_stream, DeflateEnd> streamOwner(&stream);
  if (source.size() > kMaxSize) return DataError("source too large");

  const std::size_t capacity = dest.size();
  // Without room for header and trailer the member cannot fit; only its size is learnt.
  const bool writeHeader = capacity >= kHeaderSize + kTrailerSize;
  if (writeHeader) std::memcpy(dest.data(), kHeader, kHeaderSize);
  OutputCursor out(writeHeader ? dest.data() : nullptr, capacity, kHeaderSize);

  // zlib reads the caller's data where it lies and writes straight into the caller's
  // buffer while it has room (but for the trailer's); past that, output passes through a
  // work buffer only to be counted.
  std::unique_ptr<std::uint8_t[]> overflow(new (std::nothrow) std::uint8_t[kWorkSize]);
  if (!overflow) return MemError();
  const std::size_t directRoom = writeHeader ? capacity - kHeaderSize - kTrailerSize : 0;
  std::size_t written = 0;  // bytes zlib put into the caller's buffer

  crc = crc32(crc, source.data(), static_cast<uInt>(source.size()));
  stream.next_in = const_cast<std::uint8_t*>(source.data());
  stream.avail_in = static_cast<uInt>(source.size());
  for (;;) {
    const bool direct = written < directRoom;
    const std::size_t roomSize =
        direct ? std::min<std::size_t>(directRoom - written, std::numeric_limits<uInt>::max())
               : kWorkSize;
    stream.next_out = direct ? dest.data() + kHeaderSize + written : overflow.get();
    stream.avail_out = static_cast<uInt>(roomSize);
    const int status = deflate(&stream, Z_FINISH);
    const std::size_t produced = roomSize - stream.avail_out;
    out.Advance(produced);
    if (direct) written += produced;
    if (status == Z_STREAM_END) break;
    if (status != Z_OK && status != Z_BUF_ERROR) return Failure(status, "deflate failed");
  }
  out.AppendLittleEndian(crc);
  out.AppendLittleEndian(static_cast<std::uint32_t>(source.size()));

  if (out.offset() > kMaxSize) return DataError("member too large");
  return SizedOutput{out.offset(), out.offset() <= capacity};
}

namespace {

// What inflating deflate data came to: the whole size, the CRC of the output, and the
// bytes of the last piece that follow the deflate data.
struct InflatedData {
  std::size_t size = 0;
  std::uint32_t crc = 0;
  std::size_t unused = 0;
};

// Inflates deflate data that `next` hands over piece by piece (an empty piece when there
// is no more). `roomAt(inflated)` says where the output from that offset may go (a span
// of at least one byte); `took(piece)` sees each piece once it is written there and may
// stop the work by answering false.
template <class Next, class RoomAt, class Took>
Result<InflatedData> InflatePieces(Next&& next, RoomAt&& roomAt, Took&& took) {
  InflatedData result;
  result.crc = crc32(0, nullptr, 0);
  z_stream stream{};
  if (int status = inflateInit2(&stream, -MAX_WBITS); status != Z_OK) {
    return Failure(status, "inflate cannot start");
  }
  std::unique_ptr<z_stream, InflateEnd> streamOwner(&stream);

  for (;;) {
    if (stream.avail_in == 0) {
      const ByteView piece = next();
      if (piece.empty()) return DataError("the source ends before the deflate data");
      stream.next_in = const_cast<std::uint8_t*>(piece.data());
      if (piece.size() > std::numeric_limits<uInt>::max()) return DataError("piece too large");
      stream.avail_in = static_cast<uInt>(piece.size());
    }
    const std::span<std::uint8_t> room = roomAt(result.size);
    const std::size_t roomSize =
        std::min<std::size_t>(room.size(), std::numeric_limits<uInt>::max());
    stream.next_out = room.data();
    stream.avail_out = static_cast<uInt>(roomSize);
    const int status = inflate(&stream, Z_NO_FLUSH);
    if (status == Z_MEM_ERROR) return MemError();
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
      return DataError("corrupt deflate data");
    }
    // zlib reports no progress only when it lacks input or room; anything else is a
    // stream it cannot go on with.
    if (status == Z_BUF_ERROR && stream.avail_in != 0 && stream.avail_out != 0) {
      return DataError("deflate data that cannot go on");
    }
    const std::size_t produced = roomSize - stream.avail_out;
    // The size is reported in 32 bits; a member that inflates past that is refused.
    if (produced > kMaxSize - result.size) return DataError("content too large");
    result.crc = crc32(result.crc, room.data(), static_cast<uInt>(produced));
    if (!took(room.first(produced))) return DataError("content past its size");
    result.size += produced;
    if (status == Z_STREAM_END) break;
  }
  result.unused = stream.avail_in;
  return result;
}

// A whole member in memory; the size of what it holds. Exactly the trailer must follow
// the deflate data, and its CRC must match.
template <class RoomAt, class Took>
Result<std::size_t> InflateMember(ByteView member, RoomAt&& roomAt, Took&& took) {
  const auto dataStart = DeflateDataStart(member);
  if (!dataStart) return DataError("not a gzip member");
  std::size_t unread = *dataStart;  // first source byte not yet handed to inflate
  const auto next = [&] {
    const ByteView piece = member.subspan(unread, std::min(kWorkSize, member.size() - unread));
    unread += piece.size();
    return piece;
  };
  const Result<InflatedData> inflated = InflatePieces(next, roomAt, took);
  if (!inflated) return inflated.error();
  // Exactly the trailer must remain, wherever the pieces ended.
  if (inflated->unused + (member.size() - unread) != kTrailerSize) {
    return DataError("not exactly the trailer after the deflate data");
  }
  if (ReadLittleEndian(member.data() + member.size() - kTrailerSize) != inflated->crc) {
    return DataError("CRC mismatch");
  }
  return inflated->size;
}

}  // namespace

Result<SizedOutput> GzipUncompress(ByteView member, std::span<std::uint8_t> dest) {
  if (member.size() <= kHeaderSize + kTrailerSize || member.size() > kMaxSize) {
    return DataError("not a gzip member");
  }
  // Only output that no longer fits the caller's buffer passes through this one.
  std::unique_ptr<std::uint8_t[]> overflow(new (std::nothrow) std::uint8_t[kWorkSize]);
  if (!overflow) return MemError();
  const std::size_t capacity = dest.size();
  const Result<std::size_t> inflated = InflateMember(
      member,
      // Straight into the caller's buffer while it has room, which spares zlib and us a
      // copy of every byte; past its end only the size is learnt.
      [&](std::size_t at) {
        return at < capacity ? dest.subspan(at) : std::span(overflow.get(), kWorkSize);
      },
      [](ByteView) { return true; });
  if (!inflated) return inflated.error();
  return SizedOutput{*inflated, *inflated <= capacity};
}

Result<Bytes> CompressMessage(ByteView message) {
  if (message.empty() || message.size() > kMaxSize) return DataError("no message to compress");
  // Deflate's bound on its output: even content that does not shrink fits at once (a
  // member past 2^31-1 bytes fails in any case).
  const std::size_t bound =
      compressBound(static_cast<uLong>(message.size())) + kHeaderSize + kTrailerSize;
  try {
    Bytes member(std::min(bound, kMaxSize));
    const Result<SizedOutput> sized = GzipCompress(message, member);
    if (!sized) return sized.error();
    if (!sized->fits) return DataError("the member passed deflate's bound");
    member.resize(sized->size);
    return member;
  } catch (const std::bad_alloc&) {
    return MemError();
  }
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
Result<Bytes> InflateToClaimedSize(std::size_t claimed, Inflate&& inflate) {
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
    if (const Result<Done> done = inflate(roomAt, took); !done) return done.error();
    if (inflated.size() != claimed) return DataError("content shorter than its size");
    return inflated;
  } catch (const std::bad_alloc&) {
    return MemError();
  }
}

}  // namespace

bool LooksLikeMember(ByteView start, std::size_t size) {
  return size > kHeaderSize + kTrailerSize && start.size() >= 3 && start[0] == 0x1F &&
         start[1] == 0x8B && start[2] == Z_DEFLATED;
}

Result<Bytes> DecompressMessage(ByteView content) {
  if (content.size() > kMaxSize || !LooksLikeMember(content, content.size())) {
    return DataError("not a gzip member");
  }
  // The trailer tells the size, and a member that inflates to anything else is corrupt: a
  // size past the limit is refused before any memory is taken.
  const std::size_t claimed = ReadLittleEndian(content.data() + content.size() - 4);
  if (claimed > MessageInflationLimit(content.size())) return DataError("size past the limit");
  return InflateToClaimedSize(claimed, [&](auto& roomAt, auto& took) -> Result<Done> {
    const Result<std::size_t> size = InflateMember(content, roomAt, took);
    if (!size) return size.error();
    return Done{};
  });
}

Result<Bytes> InflateMemberPieces(const MemberOutline& outline,
                                  const std::function<ByteView()>& next) {
  // Only the plain header, as every member we write has it; optional fields would have to
  // be found across pieces.
  if (outline.size > kMaxSize || !LooksLikeMember(outline.head, outline.size) ||
      outline.head[3] != 0) {
    return DataError("not a plain gzip member");
  }
  const std::size_t claimed = ReadLittleEndian(outline.trailer.data() + 4);
  if (claimed > MessageInflationLimit(outline.size)) return DataError("size past the limit");

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
  return InflateToClaimedSize(claimed, [&](auto& roomAt, auto& took) -> Result<Done> {
    const Result<InflatedData> inflated = InflatePieces(deflateData, roomAt, took);
    if (!inflated) return inflated.error();
    if (inflated->unused + (outline.size - handedOver) != kTrailerSize) {
      return DataError("not exactly the trailer after the deflate data");
    }
    if (ReadLittleEndian(outline.trailer.data()) != inflated->crc) {
      return DataError("CRC mismatch");
    }
    return Done{};
  });
}

}  // namespace velsor::formats
