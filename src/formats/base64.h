#pragma once
// Base64 with the standard alphabet and "=" padding. The encoder can break its text into
// lines of 64 characters, each ending in a line feed; the decoder skips every byte outside
// the alphabet, so line breaks and blanks may stand anywhere.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/base/bytes.h"
#include "platform/base/status_codes.h"

namespace velsor::formats {

inline constexpr std::int32_t kBase64Ok = 0;
inline constexpr std::int32_t kBase64NoMemory = status::kNoMemory;
inline constexpr std::int32_t kBase64Truncated = status::kBase64DecodeFailed;

// Only the value 1 asks for line breaks.
inline constexpr std::uint8_t kBase64LineBreaks = 1;

// With no output (a null span) only `outLength` is set: the exact length of the text.
// With an output the text is written. An output shorter than the text, or a text too long
// for a 32-bit length, gives kBase64NoMemory.
std::int32_t Base64Encode(ByteView data, std::span<char> output, std::int32_t& outLength,
                          std::uint8_t lineBreaks);

// With no output (a null span) `outLength` receives the input length, the upper bound of
// the decoded size, whatever the text. With an output it receives the number of bytes
// decoded; a text that ends inside a group of four gives kBase64Truncated and length 0,
// and an output too short for the bytes gives kBase64NoMemory. A pad in the first or
// second place of a group, or in the third but not the fourth, ends the decoding with an
// empty result and status 0.
std::int32_t Base64Decode(std::string_view text, std::span<std::uint8_t> output,
                          std::int32_t& outLength);

// The streaming encoder: the carry of up to two bytes lets Update be called any number
// of times before Finish.
class Base64Encoder {
 public:
  explicit Base64Encoder(bool lineBreaks) : lineBreaks_(lineBreaks) {}

  // Room that Update needs for `length` more bytes.
  std::size_t UpdateRoom(std::size_t length) const;
  // Room that Finish needs: the last group and a line feed.
  static constexpr std::size_t kFinishRoom = 5;

  // Each returns the number of characters written at `out`.
  std::size_t Update(ByteView data, char* out);
  std::size_t Finish(char* out);

 private:
  char* PutGroup(char* out, char c0, char c1, char c2, char c3);

  bool lineBreaks_;
  bool wroteDigits_ = false;
  std::uint8_t pending_[2]{};
  std::size_t pendingCount_ = 0;
  std::size_t column_ = 0;  // characters on the current line
};

// The streaming decoder: the carry of up to three characters lets Update be called any
// number of times before Finish.
class Base64Decoder {
 public:
  // Writes at most out.size() bytes and answers how many; nothing when the output is too
  // short (see overflowed()).
  std::size_t Update(std::string_view text, std::span<std::uint8_t> out);
  // kBase64Ok, or kBase64Truncated when a group was left incomplete.
  std::int32_t Finish() const {
    return pendingCount_ == 0 || ended_ ? kBase64Ok : kBase64Truncated;
  }

  bool overflowed() const { return overflowed_; }
  // A misplaced pad empties the whole result, whatever earlier updates wrote.
  bool emptied() const { return emptied_; }

 private:
  std::uint8_t pending_[4]{};
  std::size_t pendingCount_ = 0;
  bool ended_ = false;
  bool emptied_ = false;
  bool overflowed_ = false;
};

// The text of `data` with line breaks, as every producer in the system writes it.
std::string Base64EncodeText(ByteView data);

// The bytes of a text, or nothing when it ends inside a group.
std::optional<Bytes> Base64DecodeText(std::string_view text);

}  // namespace velsor::formats
