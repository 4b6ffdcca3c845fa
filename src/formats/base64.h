#pragma once
// Base64 with the standard alphabet and "=" padding. The encoder can break its text into
// lines of 64 characters, each ending in a line feed; the decoder skips every byte outside
// the alphabet, so line breaks and blanks may stand anywhere.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/base/bytes.h"
#include "platform/base/result.h"
#include "platform/base/status_codes.h"

namespace velsor::formats {

// The length of the text of `size` bytes.
std::size_t Base64TextLength(std::size_t size, bool lineBreaks);

// The text of `data`, with line breaks as every producer in the system writes it unless
// asked otherwise. status::kNoMemory for data whose text would pass a 32-bit length.
Result<std::string> Base64Encode(ByteView data, bool lineBreaks = true);

// The bytes of a text. status::kBase64DecodeFailed for a text that ends inside a group of
// four, status::kNoMemory for one past a 32-bit length. A pad in the first or second place
// of a group, or in the third but not the fourth, ends the decoding with an empty result
// and no failure.
Result<Bytes> Base64Decode(std::string_view text);

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
  // status::kBase64DecodeFailed when a group was left incomplete.
  Result<Done> Finish() const;

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

}  // namespace velsor::formats
