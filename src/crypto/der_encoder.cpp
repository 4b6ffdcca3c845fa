#include "crypto/der_encoder.h"

#include <cstring>
#include <limits>
#include <new>
#include <optional>

#include "crypto/der_octets.h"
#include "platform/base/hex.h"

namespace velsor::crypto {
namespace {

constexpr std::int32_t kGrowth = 8192;
constexpr std::int32_t kSequence = 16;
constexpr std::int32_t kSet = 17;
constexpr std::uint8_t kConstructed = 0x20;
constexpr std::uint8_t kContextConstructed = 0xA0;
constexpr std::size_t kMaxArcs = 50;
constexpr std::size_t kMaxHexDigits = 256;
// A gap for an element's header: its identifier and up to five length octets.
constexpr std::int32_t kLengthRoom = 6;

std::int32_t DefaultTag(char c) {
  switch (c) {
    case 'b':
      return 1;
    case 'i':
    case 'I':
      return 2;
    case 'B':
      return 3;
    case 'o':
      return 4;
    case 'n':
      return 5;
    case 'O':
      return 6;
    case 'e':
      return 10;
    case 'P':
      return 19;
    case '6':
    case 'M':
      return 20;
    case 'a':
      return 22;
    case 'u':
      return 23;
    case 'g':
      return 24;
    case 'U':
      return 28;
    case 'm':
      return 30;
    default:
      return -1;
  }
}

// Minimal two's complement, big-endian.
Bytes IntegerContent(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  const std::uint8_t sign = value < 0 ? 0xFF : 0x00;
  int top = 3;
  while (top > 0 && static_cast<std::uint8_t>(bits >> (8 * top)) == sign) --top;
  Bytes content;
  if (((bits >> (8 * top + 7)) & 1) != (value < 0 ? 1u : 0u)) content.push_back(sign);
  for (int i = top; i >= 0; --i) content.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
  return content;
}

// The digits fill bytes from the left; an odd count has an implicit leading 0.
std::optional<Bytes> HexContent(const char* text, std::int32_t length) {
  if (text == nullptr || length < 0) return std::nullopt;
  const std::string_view digits(text);
  if (digits.size() != static_cast<std::size_t>(length) || digits.size() > kMaxHexDigits) {
    return std::nullopt;
  }
  Bytes content((digits.size() + 1) / 2);
  std::size_t nibble = digits.size() % 2;  // position in the padded digit string
  for (char c : digits) {
    const auto value = HexDigitValue(static_cast<unsigned char>(c));
    if (!value) return std::nullopt;
    content[nibble / 2] |= static_cast<std::uint8_t>(nibble % 2 ? *value : *value << 4);
    ++nibble;
  }
  return content;
}

std::optional<Bytes> BitStringContent(const std::uint8_t* data, std::int32_t bits) {
  if (bits < 0 || (bits > 0 && data == nullptr)) return std::nullopt;
  const std::size_t bytes = (static_cast<std::size_t>(bits) + 7) / 8;
  const auto unused = static_cast<std::uint8_t>(8 * bytes - static_cast<std::size_t>(bits));
  Bytes content{unused};
  content.insert(content.end(), data, data + bytes);
  if (bytes > 0) content.back() &= static_cast<std::uint8_t>(0xFF << unused);
  return content;
}

std::optional<Bytes> ObjectIdentifierContent(const std::int32_t* arcs, std::int32_t count) {
  if (arcs == nullptr || count < 2 || static_cast<std::size_t>(count) > kMaxArcs) {
    return std::nullopt;
  }
  if (arcs[0] < 0 || arcs[0] > 2 || arcs[1] < 0 || arcs[1] > 39) return std::nullopt;
  Bytes content{static_cast<std::uint8_t>(40 * arcs[0] + arcs[1])};
  for (std::int32_t i = 2; i < count; ++i) {
    if (arcs[i] < 0) return std::nullopt;
    AppendBase128(content, static_cast<std::uint32_t>(arcs[i]));
  }
  return content;
}

}  // namespace

DerContext::DerContext() : buffer_(kGrowth) {}

std::int32_t& DerContext::WritePosition() {
  return open_.empty() ? used_ : open_.back().contentEnd;
}

// Grows the buffer in steps of 8192 bytes until `length` bytes fit at `at`.
bool DerContext::Reserve(std::int32_t at, std::int32_t length) {
  const std::int64_t needed = std::int64_t{at} + length;
  if (needed > std::numeric_limits<std::int32_t>::max()) return false;
  auto capacity = static_cast<std::int64_t>(buffer_.size());
  if (needed <= capacity) return true;
  capacity += (needed - capacity + kGrowth - 1) / kGrowth * kGrowth;
  if (capacity > std::numeric_limits<std::int32_t>::max()) return false;
  buffer_.resize(static_cast<std::size_t>(capacity));
  return true;
}

bool DerContext::Append(ByteView bytes, std::int32_t& written) {
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    return false;
  }
  const auto length = static_cast<std::int32_t>(bytes.size());
  std::int32_t& at = WritePosition();
  if (!Reserve(at, length)) return false;
  if (length > 0) std::memcpy(buffer_.data() + at, bytes.data(), bytes.size());
  at += length;
  written += length;
  return true;
}

bool DerContext::Primitive(std::int32_t tag, std::uint8_t classByte, ByteView content,
                           std::int32_t& written) {
  Bytes header;
  if (!AppendIdentifier(header, classByte, tag)) return false;
  if (content.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) ||
      !AppendLength(header, static_cast<std::int32_t>(content.size()))) {
    return false;
  }
  return Append(header, written) && Append(content, written);
}

bool DerContext::Open(std::int32_t tag, std::uint8_t classByte) {
  const std::int32_t gap = IdentifierSize(tag) + kLengthRoom;
  const std::int32_t at = WritePosition();
  if (!Reserve(at, gap)) return false;
  open_.push_back({tag, classByte, at + gap, at + gap});
  return true;
}

// Writes the header at the parent's write position and moves the content down after it.
bool DerContext::Close(std::uint8_t flag, std::int32_t& written) {
  if (open_.empty()) return false;
  const OpenElement element = open_.back();
  open_.pop_back();
  Bytes header;
  const std::int32_t length = element.contentEnd - element.contentStart;
  if (!AppendIdentifier(header, element.classByte | flag, element.tag) ||
      !AppendLength(header, length)) {
    return false;
  }
  std::int32_t& at = WritePosition();
  std::memcpy(buffer_.data() + at, header.data(), header.size());
  std::memmove(buffer_.data() + at + header.size(), buffer_.data() + element.contentStart,
               static_cast<std::size_t>(length));
  at += static_cast<std::int32_t>(header.size()) + length;
  written += static_cast<std::int32_t>(header.size());
  return true;
}

std::int32_t DerContext::Encode(std::string_view format, std::span<const DerArg> args) {
  ArgCursor<DerArg> cursor(args);
  std::int32_t written = 0;
  const auto number = [&]() -> std::optional<std::int32_t> {
    const DerArg* arg = cursor.Next(kInt);
    return arg ? std::optional(arg->number) : std::nullopt;
  };
  // A pointer argument and the count after it.
  const auto sized = [&](ArgKind kind) -> std::optional<std::pair<const void*, std::int32_t>> {
    const DerArg* pointer = cursor.Next(kind);
    const DerArg* count = cursor.Next(kInt);
    if (pointer == nullptr || count == nullptr) return std::nullopt;
    return std::pair{pointer->pointer, count->number};
  };

  try {
    for (char c : format) {
      if (c == 'T' || c == 't') {
        const auto tag = number();
        if (!tag) return -1;
        tagOverride_ = *tag;
        if (c == 'T') {
          const auto classArg = number();
          if (!classArg) return -1;
          classOverride_ = static_cast<std::uint8_t>(*classArg);
        }
        pending_ = true;
        continue;
      }
      // A tag set by "T" or "t" applies to this one character only.
      const bool overridden = pending_;
      const std::uint8_t classByte = overridden ? classOverride_ : 0;
      const std::int32_t tagOverride = overridden ? tagOverride_ : -1;
      const auto tagFor = [tagOverride](std::int32_t fallback) {
        return tagOverride != -1 ? tagOverride : fallback;
      };
      pending_ = false;
      tagOverride_ = -1;
      classOverride_ = 0;

      bool ok = false;
      switch (c) {
        case '{':
          ok = Open(tagFor(kSequence), classByte);
          break;
        case '[':
          ok = Open(tagFor(kSet), classByte);
          break;
        case '(': {
          const auto tag = number();
          ok = tag && *tag != -1 && Open(*tag, classByte);
          break;
        }
        case '}':
        case ']':
          ok = Close(kConstructed, written);
          break;
        case ')':
          ok = Close(kContextConstructed, written);
          break;
        case 'A': {
          const auto bytes = sized(kBytes);
          ok = bytes && bytes->second >= 0 && (bytes->first != nullptr || bytes->second == 0) &&
               Append(ByteView(static_cast<const std::uint8_t*>(bytes->first),
                               static_cast<std::size_t>(bytes->second)),
                      written);
          break;
        }
        case 'i':
        case 'e':
        case 'b': {
          const auto value = number();
          if (!value) break;
          const Bytes content = c == 'b' ? Bytes{static_cast<std::uint8_t>(*value ? 0xFF : 0x00)}
                                         : IntegerContent(*value);
          ok = Primitive(tagFor(DefaultTag(c)), classByte, content, written);
          break;
        }
        case 'I': {
          const auto hex = sized(kText);
          const auto content =
              hex ? HexContent(static_cast<const char*>(hex->first), hex->second) : std::nullopt;
          ok = content && Primitive(tagFor(DefaultTag(c)), classByte, *content, written);
          break;
        }
        case 'n':
          ok = Primitive(tagFor(DefaultTag(c)), classByte, {}, written);
          break;
        case 'B': {
          const auto bits = sized(kBytes);
          const auto content =
              bits ? BitStringContent(static_cast<const std::uint8_t*>(bits->first), bits->second)
                   : std::nullopt;
          ok = content && Primitive(tagFor(DefaultTag(c)), classByte, *content, written);
          break;
        }
        case 'O': {
          const auto arcs = sized(kArcs);
          const auto content =
              arcs ? ObjectIdentifierContent(static_cast<const std::int32_t*>(arcs->first),
                                             arcs->second)
                   : std::nullopt;
          ok = content && Primitive(tagFor(DefaultTag(c)), classByte, *content, written);
          break;
        }
        case 'o':
        case 'P':
        case 'a':
        case '6':
        case 'M':
        case 'U':
        case 'm': {
          const auto bytes = sized(kBytes);
          ok = bytes && bytes->second >= 0 && (bytes->first != nullptr || bytes->second == 0) &&
               Primitive(tagFor(DefaultTag(c)), classByte,
                         ByteView(static_cast<const std::uint8_t*>(bytes->first),
                                  static_cast<std::size_t>(bytes->second)),
                         written);
          break;
        }
        case 'u':
        case 'g': {
          const DerArg* text = cursor.Next(kText);
          ok = text && text->pointer &&
               Primitive(tagFor(DefaultTag(c)), classByte,
                         AsBytes(static_cast<const char*>(text->pointer)), written);
          break;
        }
        default:
          break;
      }
      if (!ok) return -1;
    }
  } catch (const std::bad_alloc&) {
    return -1;
  }
  return written;
}

}  // namespace velsor::crypto
