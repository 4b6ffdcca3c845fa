#include "crypto/der_encoder.h"

#include <array>
#include <cstring>
#include <limits>
#include <new>
#include <optional>

#include "platform/base/der.h"
#include "platform/base/hex.h"

namespace velsor::crypto {
namespace {

constexpr std::int32_t kGrowth = 8192;
constexpr std::uint8_t kContextConstructed = der::kContextSpecific | der::kConstructed;
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
    der::AppendBase128(content, static_cast<std::uint32_t>(arcs[i]));
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

bool DerContext::Append(ByteView bytes) {
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    return false;
  }
  const auto length = static_cast<std::int32_t>(bytes.size());
  std::int32_t& at = WritePosition();
  if (!Reserve(at, length)) return false;
  if (length > 0) std::memcpy(buffer_.data() + at, bytes.data(), bytes.size());
  at += length;
  written_ += length;
  return true;
}

bool DerContext::Primitive(std::int32_t tag, std::uint8_t classByte, ByteView content) {
  Bytes header;
  if (!der::AppendIdentifier(header, classByte, tag)) return false;
  if (content.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) ||
      !der::AppendLength(header, static_cast<std::int32_t>(content.size()))) {
    return false;
  }
  return Append(header) && Append(content);
}

bool DerContext::Open(std::int32_t tag, std::uint8_t classByte) {
  const std::int32_t gap = der::IdentifierSize(tag) + kLengthRoom;
  const std::int32_t at = WritePosition();
  if (!Reserve(at, gap)) return false;
  open_.push_back({tag, classByte, at + gap, at + gap});
  return true;
}

// Writes the header at the parent's write position and moves the content down after it.
bool DerContext::Close(std::uint8_t flag) {
  if (open_.empty()) return false;
  const OpenElement element = open_.back();
  open_.pop_back();
  Bytes header;
  const std::int32_t length = element.contentEnd - element.contentStart;
  if (!der::AppendIdentifier(header, element.classByte | flag, element.tag) ||
      !der::AppendLength(header, length)) {
    return false;
  }
  std::int32_t& at = WritePosition();
  std::memcpy(buffer_.data() + at, header.data(), header.size());
  std::memmove(buffer_.data() + at + header.size(), buffer_.data() + element.contentStart,
               static_cast<std::size_t>(length));
  at += static_cast<std::int32_t>(header.size()) + length;
  written_ += static_cast<std::int32_t>(header.size());
  return true;
}

// What one letter works with: the context, the caller's arguments, and the tag and class a
// preceding "T" or "t" set for it.
struct DerLetterStep {
  DerContext& context;
  ArgCursor<DerArg>& args;
  char letter;
  std::int32_t tagOverride;  // -1: none
  std::uint8_t classByte;

  std::int32_t TagOr(std::int32_t fallback) const {
    return tagOverride != -1 ? tagOverride : fallback;
  }
  std::optional<std::int32_t> Number() {
    const DerArg* arg = args.Next(kInt);
    return arg ? std::optional(arg->number) : std::nullopt;
  }
  // A pointer argument and the count after it.
  std::optional<std::pair<const void*, std::int32_t>> Sized(ArgKind kind) {
    const DerArg* pointer = args.Next(kind);
    const DerArg* count = args.Next(kInt);
    if (pointer == nullptr || count == nullptr) return std::nullopt;
    return std::pair{pointer->pointer, count->number};
  }
  // Bytes and their count, refused when the count is negative or the bytes are missing.
  std::optional<ByteView> SizedBytes() {
    const auto bytes = Sized(kBytes);
    if (!bytes || bytes->second < 0 || (bytes->first == nullptr && bytes->second != 0)) {
      return std::nullopt;
    }
    return ByteView(static_cast<const std::uint8_t*>(bytes->first),
                    static_cast<std::size_t>(bytes->second));
  }
  bool Primitive(ByteView content) {
    return context.Primitive(TagOr(DefaultTag(letter)), classByte, content);
  }
  bool Open(std::int32_t tag) { return context.Open(tag, classByte); }
  bool Close(std::uint8_t flag) { return context.Close(flag); }
  bool Append(ByteView bytes) { return context.Append(bytes); }
};

namespace {

using Handler = bool (*)(DerLetterStep&);

bool OpenSequence(DerLetterStep& step) { return step.Open(step.TagOr(der::kTagSequence)); }
bool OpenSet(DerLetterStep& step) { return step.Open(step.TagOr(der::kTagSet)); }
bool OpenTagged(DerLetterStep& step) {
  const auto tag = step.Number();
  return tag && *tag != -1 && step.Open(*tag);
}
bool CloseConstructed(DerLetterStep& step) { return step.Close(der::kConstructed); }
bool CloseContextConstructed(DerLetterStep& step) { return step.Close(kContextConstructed); }
bool Encoded(DerLetterStep& step) {
  const auto bytes = step.SizedBytes();
  return bytes && step.Append(*bytes);
}
bool Number(DerLetterStep& step) {
  const auto value = step.Number();
  if (!value) return false;
  const Bytes content = step.letter == 'b' ? Bytes{static_cast<std::uint8_t>(*value ? 0xFF : 0x00)}
                                           : IntegerContent(*value);
  return step.Primitive(content);
}
bool HexNumber(DerLetterStep& step) {
  const auto hex = step.Sized(kText);
  const auto content =
      hex ? HexContent(static_cast<const char*>(hex->first), hex->second) : std::nullopt;
  return content && step.Primitive(*content);
}
bool Null(DerLetterStep& step) { return step.Primitive({}); }
bool BitString(DerLetterStep& step) {
  const auto bits = step.Sized(kBytes);
  const auto content =
      bits ? BitStringContent(static_cast<const std::uint8_t*>(bits->first), bits->second)
           : std::nullopt;
  return content && step.Primitive(*content);
}
bool ObjectIdentifier(DerLetterStep& step) {
  const auto arcs = step.Sized(kArcs);
  const auto content =
      arcs ? ObjectIdentifierContent(static_cast<const std::int32_t*>(arcs->first), arcs->second)
           : std::nullopt;
  return content && step.Primitive(*content);
}
bool StringBytes(DerLetterStep& step) {
  const auto bytes = step.SizedBytes();
  return bytes && step.Primitive(*bytes);
}
bool TimeText(DerLetterStep& step) {
  const DerArg* text = step.args.Next(kText);
  return text && text->pointer && step.Primitive(AsBytes(static_cast<const char*>(text->pointer)));
}

constexpr std::array<Handler, 128> kLetters = [] {
  std::array<Handler, 128> letters{};
  letters['{'] = OpenSequence;
  letters['['] = OpenSet;
  letters['('] = OpenTagged;
  letters['}'] = letters[']'] = CloseConstructed;
  letters[')'] = CloseContextConstructed;
  letters['A'] = Encoded;
  letters['i'] = letters['e'] = letters['b'] = Number;
  letters['I'] = HexNumber;
  letters['n'] = Null;
  letters['B'] = BitString;
  letters['O'] = ObjectIdentifier;
  for (char c : {'o', 'P', 'a', '6', 'M', 'U', 'm'}) letters[c] = StringBytes;
  letters['u'] = letters['g'] = TimeText;
  return letters;
}();

}  // namespace

Result<std::int32_t> DerContext::Encode(std::string_view format, std::span<const DerArg> args) {
  const auto failed = [](char letter) {
    return Failure(CRYPT_E_ASN1_ERROR, std::string("cannot encode '") + letter + "'");
  };
  ArgCursor<DerArg> cursor(args);
  written_ = 0;
  try {
    for (const char c : format) {
      if (c == 'T' || c == 't') {
        const DerArg* tag = cursor.Next(kInt);
        if (tag == nullptr) return failed(c);
        tagOverride_ = tag->number;
        if (c == 'T') {
          const DerArg* classArg = cursor.Next(kInt);
          if (classArg == nullptr) return failed(c);
          classOverride_ = static_cast<std::uint8_t>(classArg->number);
        }
        pending_ = true;
        continue;
      }
      // A tag set by "T" or "t" applies to this one character only.
      const bool overridden = pending_;
      DerLetterStep step{*this, cursor, c, overridden ? tagOverride_ : -1,
                         overridden ? classOverride_ : std::uint8_t{0}};
      pending_ = false;
      tagOverride_ = -1;
      classOverride_ = 0;
      const auto index = static_cast<unsigned char>(c);
      const Handler handler = index < kLetters.size() ? kLetters[index] : nullptr;
      if (handler == nullptr || !handler(step)) return failed(c);
    }
  } catch (const std::bad_alloc&) {
    return Failure(E_OUTOFMEMORY, "no memory for DER");
  }
  return written_;
}

}  // namespace velsor::crypto
