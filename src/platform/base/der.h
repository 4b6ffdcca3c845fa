#pragma once
// DER identifier and length octets, both ways: a bounds-checked cursor that reads elements
// (every read checks what remains before it touches a byte) and the writer of the same
// octets.

#include <cstdint>
#include <optional>

#include "platform/base/bytes.h"

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

struct Header {
  std::int32_t tag = 0;
  std::uint8_t classByte = 0;  // class and constructed bits of the first identifier octet
  std::int32_t length = 0;     // 0 for an indefinite length
  bool indefinite = false;
};

enum class ReadStatus { Ok, End, Malformed };

class Cursor {
 public:
  explicit Cursor(ByteView data) : data_(data) {}

  std::size_t position() const { return position_; }
  std::size_t remaining() const { return data_.size() - position_; }
  ByteView data() const { return data_; }
  // Back to a position read before (after a peek).
  void Rewind(std::size_t position) { position_ = position <= data_.size() ? position : position_; }

  // End when nothing is left where an identifier is due. Tag numbers take at most five
  // octets and stay within 32 bits.
  ReadStatus ReadIdentifier(Header& header);
  // Definite lengths of up to four octets; 0x80 alone marks an indefinite length.
  bool ReadLength(Header& header);
  ReadStatus ReadHeader(Header& header);
  // The next `length` bytes, consumed; nothing (and nothing consumed) when fewer remain.
  std::optional<ByteView> Take(std::size_t length);
  // A whole element of definite length: its header in `header`, its content returned, and
  // in `whole` its octets from identifier to end. Nothing, and nothing consumed, otherwise.
  std::optional<ByteView> ReadElement(Header& header, ByteView* whole = nullptr);

 private:
  ByteView data_;
  std::size_t position_ = 0;
};

// Seven bits per byte, most significant group first, every byte but the last with bit 7
// set; 0 is the single byte 0x00.
void AppendBase128(Bytes& out, std::uint32_t value);
// Tag numbers up to 30 fit the first byte with the class bits; larger ones follow it in
// base 128. A negative tag number fails.
bool AppendIdentifier(Bytes& out, std::uint8_t classByte, std::int32_t tag);
std::int32_t IdentifierSize(std::int32_t tag);
// Short form up to 127, else 0x80 | n and n big-endian bytes. A negative length fails.
bool AppendLength(Bytes& out, std::int32_t length);

}  // namespace velsor::der
