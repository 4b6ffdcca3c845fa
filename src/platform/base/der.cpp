#include "platform/base/der.h"

#include <limits>

namespace velsor::der {
namespace {

constexpr int kMaxTagBytes = 5;
constexpr int kMaxLengthBytes = 4;

Error Corrupt(const char* detail) { return Failure(CRYPT_E_ASN1_CORRUPT, detail); }

}  // namespace

Result<Tag> Cursor::ReadIdentifier() {
  if (remaining() == 0) return Failure(CRYPT_E_ASN1_EOD, "no identifier where one is due");
  const std::size_t start = position_;
  const std::uint8_t first = data_[position_++];
  Tag tag{static_cast<std::uint8_t>(first & 0xE0), first & 0x1F};
  if (tag.number != 0x1F) return tag;
  const bool der = encoding_ == Encoding::Der;
  std::uint64_t number = 0;
  for (int i = 0; i < kMaxTagBytes && remaining() > 0; ++i) {
    const std::uint8_t byte = data_[position_++];
    // DER writes a tag number in as few octets as it needs, and below 31 in the first.
    if (der && i == 0 && byte == 0x80) break;
    number = (number << 7) | (byte & 0x7F);
    if ((byte & 0x80) == 0) {
      if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) break;
      if (der && number < 0x1F) break;
      tag.number = static_cast<std::int32_t>(number);
      return tag;
    }
  }
  position_ = start;
  return Corrupt("unreadable tag number");
}

bool Cursor::ReadLength(Header& header) {
  if (remaining() == 0) return false;
  const std::size_t start = position_;
  const std::uint8_t first = data_[position_++];
  header.indefinite = first == 0x80;
  const bool der = encoding_ == Encoding::Der;
  if (der && header.indefinite) {
    position_ = start;
    return false;
  }
  if (first < 0x80 || header.indefinite) {
    header.length = first < 0x80 ? first : 0;
    return true;
  }
  const int count = first & 0x7F;
  if (count > kMaxLengthBytes || static_cast<std::size_t>(count) > remaining()) {
    position_ = start;
    return false;
  }
  // DER writes a length in as few octets as it needs, and below 128 in the first.
  if (der && data_[position_] == 0) {
    position_ = start;
    return false;
  }
  std::uint64_t length = 0;
  for (int i = 0; i < count; ++i) length = (length << 8) | data_[position_++];
  if (length > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) ||
      (der && length < 0x80)) {
    position_ = start;
    return false;
  }
  header.length = static_cast<std::int32_t>(length);
  return true;
}

Result<Header> Cursor::ReadHeader() {
  const Result<Tag> tag = ReadIdentifier();
  if (!tag) return tag.error();
  Header header{*tag};
  if (!ReadLength(header)) return Corrupt("unreadable length");
  return header;
}

std::optional<ByteView> Cursor::Take(std::size_t length) {
  if (length > remaining()) return std::nullopt;
  const ByteView taken = data_.subspan(position_, length);
  position_ += length;
  return taken;
}

std::optional<ByteView> Cursor::ReadElement(Header& header, ByteView* whole) {
  const std::size_t start = position_;
  std::optional<ByteView> content;
  if (const Result<Header> read = ReadHeader(); read && !read->indefinite) {
    header = *read;
    content = Take(static_cast<std::size_t>(header.length));
  }
  if (!content) {
    position_ = start;
    return std::nullopt;
  }
  if (whole != nullptr) *whole = data_.subspan(start, position_ - start);
  return content;
}

std::optional<ByteView> Cursor::Read(Tag expected, ByteView* whole) {
  const std::size_t start = position_;
  Header header;
  auto content = ReadElement(header, whole);
  if (content && header.tag != expected) {
    position_ = start;
    return std::nullopt;
  }
  return content;
}

void AppendBase128(Bytes& out, std::uint32_t value) {
  std::uint8_t groups[5];
  int count = 0;
  do {
    groups[count++] = value & 0x7F;
    value >>= 7;
  } while (value != 0);
  while (count > 1) out.push_back(groups[--count] | 0x80);
  out.push_back(groups[0]);
}

std::int32_t IdentifierSize(std::int32_t tag) {
  if (tag <= 30) return 1;
  std::int32_t size = 1;
  for (auto value = static_cast<std::uint32_t>(tag); value != 0; value >>= 7) ++size;
  return size;
}

Result<Done> AppendIdentifier(Bytes& out, std::uint8_t classByte, std::int32_t tag) {
  if (tag < 0) return Failure(E_INVALIDARG, "a negative tag number");
  if (tag <= 30) {
    out.push_back(static_cast<std::uint8_t>((classByte & 0xE0) | tag));
    return Done{};
  }
  out.push_back(classByte | 0x1F);
  AppendBase128(out, static_cast<std::uint32_t>(tag));
  return Done{};
}

Result<Done> AppendLength(Bytes& out, std::int32_t length) {
  if (length < 0) return Failure(E_INVALIDARG, "a negative length");
  if (length < 0x80) {
    out.push_back(static_cast<std::uint8_t>(length));
    return Done{};
  }
  int count = 1;
  while (count < 4 && (static_cast<std::uint32_t>(length) >> (8 * count)) != 0) ++count;
  out.push_back(static_cast<std::uint8_t>(0x80 | count));
  for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
  return Done{};
}

}  // namespace velsor::der
