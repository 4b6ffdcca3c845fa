#pragma once
// The arguments of the DER and BER format interpreters, and the compile-time check that a
// format string and the arguments after it agree, character by character.

#include <array>
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/base/bytes.h"

namespace velsor::crypto {

// One letter per kind of argument, as the format tables below list them.
enum ArgKind : char {
  kNoArg = 0,
  kInt = 'i',
  kBytes = 'b',
  kText = 't',
  kArcs = 'a',
  kIntOut = 'I',
  kByteOut = 'y',
  kBytesOut = 'B',
  kTextOut = 'T',
  kArcsOut = 'A',
  kTextBuffer = 'S',
};

// The arguments each encoder character takes, in order.
constexpr std::string_view DerArgumentsOf(char c) {
  switch (c) {
    case '(':
    case 'i':
    case 'e':
    case 'b':
    case 't':
      return "i";
    case 'A':
    case 'o':
    case 'B':
    case 'P':
    case 'a':
    case '6':
    case 'M':
    case 'U':
    case 'm':
      return "bi";
    case 'O':
      return "ai";
    case 'I':
      return "ti";
    case 'u':
    case 'g':
      return "t";
    case 'T':
      return "ii";
    default:
      return "";
  }
}

// The arguments each decoder character takes, in order.
constexpr std::string_view BerArgumentsOf(char c) {
  switch (c) {
    case 't':
      return "Iy";
    case '$':
    case 'o':
    case '6':
    case 'B':
      return "BI";
    case 'b':
      return "y";
    case 'i':
    case 'e':
      return "I";
    case 'I':
      return "TI";
    case 'a':
      return "T";
    case 'g':
    case 'u':
      return "S";
    case 'O':
      return "AI";
    default:
      return "";
  }
}

template <class T>
inline constexpr ArgKind kDerKindOf = kNoArg;
template <>
inline constexpr ArgKind kDerKindOf<std::int32_t> = kInt;
template <>
inline constexpr ArgKind kDerKindOf<const std::uint8_t*> = kBytes;
template <>
inline constexpr ArgKind kDerKindOf<std::uint8_t*> = kBytes;
template <>
inline constexpr ArgKind kDerKindOf<const char*> = kText;
template <>
inline constexpr ArgKind kDerKindOf<char*> = kText;
template <>
inline constexpr ArgKind kDerKindOf<const std::int32_t*> = kArcs;
template <>
inline constexpr ArgKind kDerKindOf<std::int32_t*> = kArcs;

template <class T>
inline constexpr ArgKind kBerKindOf = kNoArg;
template <>
inline constexpr ArgKind kBerKindOf<std::int32_t*> = kIntOut;
template <>
inline constexpr ArgKind kBerKindOf<std::uint8_t*> = kByteOut;
template <>
inline constexpr ArgKind kBerKindOf<Bytes*> = kBytesOut;
template <>
inline constexpr ArgKind kBerKindOf<std::string*> = kTextOut;
template <>
inline constexpr ArgKind kBerKindOf<std::vector<std::int32_t>*> = kArcsOut;
template <>
inline constexpr ArgKind kBerKindOf<std::span<char>> = kTextBuffer;

template <std::size_t N>
consteval bool FormatMatches(std::string_view format, const std::array<char, N>& kinds,
                             std::string_view (*argumentsOf)(char)) {
  std::size_t next = 0;
  for (char c : format) {
    for (char expected : argumentsOf(c)) {
      if (next == N || kinds[next] != expected) return false;
      ++next;
    }
  }
  return next == N;
}

// A format string checked against the argument types when the call is compiled.
template <std::string_view (*ArgumentsOf)(char), ArgKind... Kinds>
struct CheckedFormat {
  std::string_view text;

  template <class S>
  requires std::convertible_to<const S&, std::string_view>
  consteval CheckedFormat(const S& format) : text(format) {
    if (!FormatMatches(text, std::array<char, sizeof...(Kinds)>{Kinds...}, ArgumentsOf)) {
      throw "the arguments do not match the format";
    }
  }
};

template <class... Args>
using DerFormat = CheckedFormat<&DerArgumentsOf, kDerKindOf<Args>...>;
template <class... Args>
using BerFormat = CheckedFormat<&BerArgumentsOf, kBerKindOf<Args>...>;

// One encoder argument.
struct DerArg {
  ArgKind kind = kNoArg;
  std::int32_t number = 0;
  const void* pointer = nullptr;

  constexpr DerArg() = default;
  DerArg(std::int32_t value) : kind(kInt), number(value) {}
  DerArg(const std::uint8_t* bytes) : kind(kBytes), pointer(bytes) {}
  DerArg(const char* text) : kind(kText), pointer(text) {}
  DerArg(const std::int32_t* arcs) : kind(kArcs), pointer(arcs) {}
};

// One decoder out-argument.
struct BerArg {
  ArgKind kind = kNoArg;
  void* pointer = nullptr;
  std::span<char> buffer;

  constexpr BerArg() = default;
  BerArg(std::int32_t* value) : kind(kIntOut), pointer(value) {}
  BerArg(std::uint8_t* value) : kind(kByteOut), pointer(value) {}
  BerArg(Bytes* bytes) : kind(kBytesOut), pointer(bytes) {}
  BerArg(std::string* text) : kind(kTextOut), pointer(text) {}
  BerArg(std::vector<std::int32_t>* arcs) : kind(kArcsOut), pointer(arcs) {}
  BerArg(std::span<char> text) : kind(kTextBuffer), buffer(text) {}
};

// Hands out the arguments in order, checking each one's kind.
template <class Arg>
class ArgCursor {
 public:
  explicit ArgCursor(std::span<const Arg> args) : args_(args) {}
  const Arg* Next(ArgKind kind) {
    if (next_ == args_.size() || args_[next_].kind != kind) return nullptr;
    return &args_[next_++];
  }

 private:
  std::span<const Arg> args_;
  std::size_t next_ = 0;
};

}  // namespace velsor::crypto
