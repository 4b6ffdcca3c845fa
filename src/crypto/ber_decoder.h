#pragma once
// A scanf-like BER reader: a format string says what comes next, and the pieces go out
// through the pointers after it, strictly in order. Reading goes on where the last call on
// the same context stopped.
//
//   { [ (     read an element's header and go on inside it      } ] )   nothing
//   t  int*,uint8_t*     peek at the next tag number and class, consuming nothing
//   $  Bytes*,int*       the whole next element, header included
//   x                    skip an element          n     a NULL (its length is not used)
//   b  uint8_t*          BOOLEAN (0x00 or 0xFF)   i e   int*  INTEGER, ENUMERATED (<= 4 bytes)
//   I  string*,int*      INTEGER as upper-case hex digits
//   o 6  Bytes*,int*     OCTET STRING, TeletexString content
//   a  string*           IA5String content
//   g u  span<char>      time text, copied with a terminating zero into the caller's buffer
//   B  Bytes*,int*       BIT STRING data and bit count
//   O  vector<int>*,int* OBJECT IDENTIFIER arcs and their count
//
// The identifiers read are not compared with anything: the format alone says what is
// expected. Argument types are checked against the format when it is compiled.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "crypto/format_args.h"
#include "platform/base/bytes.h"

namespace velsor::crypto {

inline constexpr std::int32_t kBerOk = 0;
inline constexpr std::int32_t kBerMalformed = -1;
// The input ended where the next identifier was due.
inline constexpr std::int32_t kBerEnd = -2;

class BerContext {
 public:
  // Reads `data` where it lies: the caller keeps it alive while the context is used.
  explicit BerContext(ByteView data) : data_(data) {}
  // Reads bytes of its own.
  explicit BerContext(Bytes&& data) : owned_(std::move(data)), data_(owned_) {}
  // A copy reads on from the same place; one that owns its bytes gets its own copy.
  BerContext(const BerContext& other)
      : owned_(other.owned_),
        data_(other.OwnsData() ? ByteView(owned_) : other.data_),
        position_(other.position_) {}
  BerContext& operator=(const BerContext&) = delete;

  std::size_t position() const { return position_; }

  std::int32_t Decode(std::string_view format, std::span<const BerArg> args);

 private:
  struct Header {
    std::int32_t tag = 0;
    std::uint8_t classByte = 0;
    std::int32_t length = 0;
  };

  std::int32_t ReadIdentifier(Header& header);
  bool ReadLength(Header& header);
  std::int32_t ReadHeader(Header& header);
  // A view of the next `length` bytes, consumed; nothing when fewer remain.
  std::optional<ByteView> Take(std::int32_t length);
  std::size_t Remaining() const { return data_.size() - position_; }
  bool OwnsData() const { return !owned_.empty() && data_.data() == owned_.data(); }

  Bytes owned_;
  ByteView data_;
  std::size_t position_ = 0;
};

template <class... Args>
std::int32_t BerDecode(BerContext& context, BerFormat<std::type_identity_t<Args>...> format,
                       Args... args) {
  const BerArg packed[] = {BerArg(args)..., BerArg()};
  return context.Decode(format.text, std::span(packed, sizeof...(Args)));
}

}  // namespace velsor::crypto
