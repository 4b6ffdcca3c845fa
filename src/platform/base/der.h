#pragma once
// DER identifier and length octets, both ways: a bounds-checked cursor that reads elements
// (every read checks what remains before it touches a byte) and the writer of the same
// octets. The cursor reads strict DER unless asked for BER: then it also takes lengths and
// tag numbers in more octets than they need, and (in headers) indefinite lengths.

#include <cstdint>
#include <optional>

#include "platform/base/bytes.h"
#include "platform/base/hresult.h"
#include "platform/base/result.h"

namespace velsor::der {

inline constexpr std::uint8_t kClassMask = 0xC0;
inline constexpr std::uint8_t kConstructed = 0x20;
inline constexpr std::uint8_t kContextSpecific = 0x80;
inline constexpr std::uint8_t kUniversal = 0x00;

// Universal tag numbers.
inline constexpr std::int32_t kTagInteger = 2;
inline constexpr std::int32_t kTagOctetString = 4;
inline constexpr std::int32_t kTagObjectIdentifier = 6;
inline constexpr std::int32_t kTagSequence = 16;
inline constexpr std::int32_t kTagSet = 17;

// An element's tag as one value: the class and constructed bits of its first identifier
// octet with its number, so that one comparison checks all three.
struct Tag {
  std::uint8_t classByte = 0;
  std::int32_t number = 0;
  friend bool operator==(const Tag&, const Tag&) = default;
};

inline constexpr Tag kInteger{kUniversal, kTagInteger};
inline constexpr Tag kOctetString{kUniversal, kTagOctetString};
inline constexpr Tag kObjectIdentifier{kUniversal, kTagObjectIdentifier};
inline constexpr Tag kSequence{kUniversal | kConstructed, kTagSequence};
inline constexpr Tag kSet{kUniversal | kConstructed, kTagSet};
// [number] EXPLICIT, or any constructed context-specific element.
constexpr Tag ContextTag(std::int32_t number) { return {kContextSpecific | kConstructed, number}; }

struct Header {
  Tag tag;
  std::int32_t length = 0;  // 0 for an indefinite length
  bool indefinite = false;
};

// BER where the bytes come from others who may not have written DER (a peer's message, a
// certificate OpenSSL accepts), and for the page's own BER decoding.
enum class Encoding { Der, Ber };

class Cursor {
 public:
  explicit Cursor(ByteView data, Encoding encoding = Encoding::Der)
      : data_(data), encoding_(encoding) {}

  std::size_t position() const { return position_; }
  std::size_t remaining() const { return data_.size() - position_; }
  ByteView data() const { return data_; }
  // Back to a position read before (after a peek).
  void Rewind(std::size_t position) { position_ = position <= data_.size() ? position : position_; }

  // A read fails with CRYPT_E_ASN1_EOD when nothing is left where an identifier is due,
  // and with CRYPT_E_ASN1_CORRUPT for octets it cannot take (identifier or length octets
  // that fail are not consumed). Tag numbers take at most five octets and stay within
  // 32 bits.
  Result<Tag> ReadIdentifier();
  // Definite lengths of up to four octets; 0x80 alone marks an indefinite length.
  Result<Header> ReadHeader();
  // The next `length` bytes, consumed; nothing (and nothing consumed) when fewer remain.
  std::optional<ByteView> Take(std::size_t length);
  // A whole element of definite length: its header in `header`, its content returned, and
  // in `whole` its octets from identifier to end. Nothing, and nothing consumed, otherwise.
  std::optional<ByteView> ReadElement(Header& header, ByteView* whole = nullptr);
  // The same, only for an element of tag `expected`.
  std::optional<ByteView> Read(Tag expected, ByteView* whole = nullptr);

 private:
  // The length octets after an identifier, into `header`; false when they cannot be read.
  bool ReadLength(Header& header);

  ByteView data_;
  Encoding encoding_;
  std::size_t position_ = 0;
};

// Seven bits per byte, most significant group first, every byte but the last with bit 7
// set; 0 is the single byte 0x00.
void AppendBase128(Bytes& out, std::uint32_t value);
// Tag numbers up to 30 fit the first byte with the class bits; larger ones follow it in
// base 128. A negative tag number fails with E_INVALIDARG, appending nothing.
Result<Done> AppendIdentifier(Bytes& out, std::uint8_t classByte, std::int32_t tag);
inline Result<Done> AppendIdentifier(Bytes& out, Tag tag) {
  return AppendIdentifier(out, tag.classByte, tag.number);
}
std::int32_t IdentifierSize(std::int32_t tag);
// Short form up to 127, else 0x80 | n and n big-endian bytes. A negative length fails with
// E_INVALIDARG, appending nothing.
Result<Done> AppendLength(Bytes& out, std::int32_t length);

}  // namespace velsor::der
