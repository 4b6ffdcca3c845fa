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
#include "platform/base/der.h"
#include "platform/base/hresult.h"
#include "platform/base/result.h"

namespace velsor::crypto {

// A decoding fails with CRYPT_E_ASN1_EOD when the input ended where the next identifier
// was due, and with CRYPT_E_ASN1_CORRUPT for anything else.

class BerContext {
 public:
  // Reads `data` where it lies: the caller keeps it alive while the context is used.
  explicit BerContext(ByteView data) : cursor_(data, der::Encoding::Ber) {}
  // Reads bytes of its own.
  explicit BerContext(Bytes&& data)
      : owned_(std::move(data)), cursor_(owned_, der::Encoding::Ber) {}
  // A copy reads on from the same place; one that owns its bytes gets its own copy.
  BerContext(const BerContext& other)
      : owned_(other.owned_),
        cursor_(other.OwnsData() ? ByteView(owned_) : other.cursor_.data(), der::Encoding::Ber) {
    cursor_.Rewind(other.cursor_.position());
  }
  BerContext& operator=(const BerContext&) = delete;

  std::size_t position() const { return cursor_.position(); }

  Result<Done> Decode(std::string_view format, std::span<const BerArg> args);

 private:
  bool OwnsData() const { return !owned_.empty() && cursor_.data().data() == owned_.data(); }

  Bytes owned_;
  der::Cursor cursor_;
};

template <class... Args>
Result<Done> BerDecode(BerContext& context, BerFormat<std::type_identity_t<Args>...> format,
                       Args... args) {
  const BerArg packed[] = {BerArg(args)..., BerArg()};
  return context.Decode(format.text, std::span(packed, sizeof...(Args)));
}

}  // namespace velsor::crypto
