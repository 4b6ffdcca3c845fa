#pragma once
// A printf-like DER writer: a format string names ASN.1 types, the arguments after it give
// their values, strictly in order. One context may be written by several calls; elements
// opened by one call may be filled and closed by later ones.
//
//   {  [  ( tag        open SEQUENCE, SET, or an element of the given tag
//   }  ]               close with the constructed flag 0x20
//   )                  close as context-specific constructed (0xA0)
//   A bytes,len        bytes already encoded        i e int     INTEGER, ENUMERATED
//   I hex,len          INTEGER from hex digits       b int       BOOLEAN
//   n                  NULL                          o bytes,len OCTET STRING
//   B bytes,bits       BIT STRING                    O arcs,n    OBJECT IDENTIFIER
//   P a 6 M U m bytes,len   Printable, IA5, Teletex, Teletex, Universal, BMP strings
//   u g text           UTCTime, GeneralizedTime
//   T tag,class        the next element takes this tag number and class byte
//   t tag              the next element takes this tag number
//
// Argument types are checked against the format when it is compiled.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "crypto/format_args.h"
#include "platform/base/bytes.h"
#include "platform/base/hresult.h"
#include "platform/base/result.h"

namespace velsor::crypto {

class DerContext {
 public:
  DerContext();

  // The finished encoding; whole once every opened element has been closed.
  ByteView Encoding() const { return ByteView(buffer_).first(static_cast<std::size_t>(used_)); }
  bool HasOpenElements() const { return !open_.empty(); }
  std::size_t Capacity() const { return buffer_.size(); }

  // Interprets `format` with `args`: the number of bytes written, or CRYPT_E_ASN1_ERROR at
  // the first failing character. The context is unusable after a failure.
  Result<std::int32_t> Encode(std::string_view format, std::span<const DerArg> args);

 private:
  // One format letter's work; its handlers reach the writing steps below.
  friend struct DerLetterStep;

  struct OpenElement {
    std::int32_t tag;
    std::uint8_t classByte;
    std::int32_t contentStart;
    std::int32_t contentEnd;
  };

  std::int32_t& WritePosition();
  bool Reserve(std::int32_t at, std::int32_t length);
  // Each counts what it writes in written_.
  bool Append(ByteView bytes);
  bool Primitive(std::int32_t tag, std::uint8_t classByte, ByteView content);
  bool Open(std::int32_t tag, std::uint8_t classByte);
  bool Close(std::uint8_t flag);

  // A tag set by "T" or "t" waiting for the element it applies to; kept between calls.
  bool pending_ = false;
  std::int32_t tagOverride_ = -1;
  std::uint8_t classOverride_ = 0;

  Bytes buffer_;
  std::int32_t used_ = 0;
  std::int32_t written_ = 0;       // by the current Encode
  std::vector<OpenElement> open_;  // outermost first
};

template <class... Args>
Result<std::int32_t> DerEncode(DerContext& context, DerFormat<std::type_identity_t<Args>...> format,
                               Args... args) {
  const DerArg packed[] = {DerArg(args)..., DerArg()};
  return context.Encode(format.text, std::span(packed, sizeof...(Args)));
}

}  // namespace velsor::crypto
