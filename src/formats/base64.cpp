#include "formats/base64.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <new>

namespace velsor::formats {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";
constexpr std::size_t kLineLength = 64;
constexpr std::uint8_t kPad = 64;
constexpr std::uint8_t kSkip = 0xFF;

// Digit values by byte; the pad has value 64 and every other byte is skipped.
constexpr std::array<std::uint8_t, 256> kDigitOf = [] {
  std::array<std::uint8_t, 256> table{};
  table.fill(kSkip);
  for (std::uint8_t i = 0; i <= kPad; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = i;
  return table;
}();

// The fast decoding path: for each position in a group, the digit's bits already in place,
// or a high bit for a pad or a byte to skip.
constexpr std::uint32_t kNotADigit = 0x80000000u;
constexpr std::array<std::array<std::uint32_t, 256>, 4> kPlacedDigits = [] {
  std::array<std::array<std::uint32_t, 256>, 4> tables{};
  for (std::size_t position = 0; position < 4; ++position) {
    for (std::size_t c = 0; c < 256; ++c) {
      const std::uint8_t digit = kDigitOf[c];
      tables[position][c] =
          digit >= kPad ? kNotADigit : std::uint32_t{digit} << (18 - 6 * position);
    }
  }
  return tables;
}();

// Both characters for each 12-bit half of a group, so a group takes two lookups.
constexpr std::array<std::array<char, 2>, 4096> kDigitPairs = [] {
  std::array<std::array<char, 2>, 4096> table{};
  for (std::size_t i = 0; i < table.size(); ++i) table[i] = {kAlphabet[i >> 6], kAlphabet[i & 63]};
  return table;
}();

char* EncodeGroups(const std::uint8_t* in, std::size_t groups, char* out) {
  for (; groups > 0; --groups, in += 3, out += 4) {
    const std::uint32_t triple = (std::uint32_t{in[0]} << 16) | (in[1] << 8) | in[2];
    std::memcpy(out, kDigitPairs[triple >> 12].data(), 2);
    std::memcpy(out + 2, kDigitPairs[triple & 0xFFF].data(), 2);
  }
  return out;
}

}  // namespace

std::size_t Base64TextLength(std::size_t size, bool lineBreaks) {
  const std::size_t digits = (size + 2) / 3 * 4;
  if (!lineBreaks) return digits;
  // A line feed ends every line, the last one too; no digits still make one empty line.
  return digits + (digits == 0 ? 1 : (digits - 1) / kLineLength + 1);
}

std::size_t Base64Encoder::UpdateRoom(std::size_t length) const {
  const std::size_t digits = (pendingCount_ + length) / 3 * 4;
  return digits + (lineBreaks_ ? (column_ + digits) / kLineLength : 0);
}

char* Base64Encoder::PutGroup(char* out, char c0, char c1, char c2, char c3) {
  out[0] = c0;
  out[1] = c1;
  out[2] = c2;
  out[3] = c3;
  out += 4;
  wroteDigits_ = true;
  if (lineBreaks_ && (column_ += 4) == kLineLength) {
    *out++ = '\n';
    column_ = 0;
  }
  return out;
}

std::size_t Base64Encoder::Update(ByteView data, char* out) {
  char* const start = out;
  const std::uint8_t* in = data.data();
  std::size_t left = data.size();
  // Complete the carried group first, or add to it.
  if (pendingCount_ > 0 && left > 0) {
    if (pendingCount_ == 1 && left == 1) {
      pending_[1] = in[0];
      pendingCount_ = 2;
      return 0;
    }
    const std::uint8_t b0 = pending_[0];
    const std::uint8_t b1 = pendingCount_ == 2 ? pending_[1] : in[0];
    const std::uint8_t b2 = pendingCount_ == 2 ? in[0] : in[1];
    const std::size_t taken = 3 - pendingCount_;
    in += taken;
    left -= taken;
    pendingCount_ = 0;
    out = PutGroup(out, kAlphabet[b0 >> 2], kAlphabet[((b0 & 3) << 4) | (b1 >> 4)],
                   kAlphabet[((b1 & 15) << 2) | (b2 >> 6)], kAlphabet[b2 & 63]);
  }
  // Whole groups, up to the end of the current line at a time, so that the loop that
  // does the work has no line logic in it.
  while (left >= 3) {
    std::size_t groups = left / 3;
    if (lineBreaks_) groups = std::min(groups, (kLineLength - column_) / 4);
    out = EncodeGroups(in, groups, out);
    in += 3 * groups;
    left -= 3 * groups;
    wroteDigits_ = true;
    if (lineBreaks_ && (column_ += 4 * groups) == kLineLength) {
      *out++ = '\n';
      column_ = 0;
    }
  }
  // Input left over here means the carry was empty: at most two bytes start a new one.
  if (left > 0) {
    pending_[0] = in[0];
    if (left > 1) pending_[1] = in[1];
    pendingCount_ = left;
  }
  return static_cast<std::size_t>(out - start);
}

std::size_t Base64Encoder::Finish(char* out) {
  char* const start = out;
  if (pendingCount_ > 0) {
    const std::uint8_t b0 = pending_[0];
    const std::uint8_t b1 = pendingCount_ == 2 ? pending_[1] : 0;
    out = PutGroup(out, kAlphabet[b0 >> 2], kAlphabet[((b0 & 3) << 4) | (b1 >> 4)],
                   pendingCount_ == 2 ? kAlphabet[(b1 & 15) << 2] : '=', '=');
    pendingCount_ = 0;
  }
  if (lineBreaks_ && (column_ > 0 || !wroteDigits_)) *out++ = '\n';
  column_ = 0;
  wroteDigits_ = false;
  return static_cast<std::size_t>(out - start);
}

std::size_t Base64Decoder::Update(std::string_view text, std::span<std::uint8_t> out) {
  std::size_t written = 0;
  const char* at = text.data();
  const char* const end = at + text.size();
  const auto digitAt = [](const char* c) { return kDigitOf[static_cast<unsigned char>(*c)]; };
  while (at < end && !ended_) {
    // The common case: four digits in a row with no carry and room for their bytes.
    // Pads and bytes to skip (values of 64 and more) take the careful way below.
    if (pendingCount_ == 0) {
      while (end - at >= 4 && out.size() - written >= 3) {
        const auto* c = reinterpret_cast<const unsigned char*>(at);
        const std::uint32_t triple = kPlacedDigits[0][c[0]] | kPlacedDigits[1][c[1]] |
                                     kPlacedDigits[2][c[2]] | kPlacedDigits[3][c[3]];
        if (triple & kNotADigit) break;
        out[written] = static_cast<std::uint8_t>(triple >> 16);
        out[written + 1] = static_cast<std::uint8_t>(triple >> 8);
        out[written + 2] = static_cast<std::uint8_t>(triple);
        written += 3;
        at += 4;
      }
      if (at == end) break;
    }
    const std::uint8_t digit = digitAt(at++);
    if (digit == kSkip) continue;
    pending_[pendingCount_++] = digit;
    if (pendingCount_ < 4) continue;
    pendingCount_ = 0;
    const auto [d0, d1, d2, d3] = pending_;
    if (d0 == kPad || d1 == kPad || (d2 == kPad && d3 != kPad)) {
      ended_ = emptied_ = true;
      break;
    }
    const std::size_t count = d2 == kPad ? 1 : d3 == kPad ? 2 : 3;
    if (out.size() - written < count) {
      overflowed_ = ended_ = true;
      break;
    }
    out[written++] = static_cast<std::uint8_t>((d0 << 2) | (d1 >> 4));
    if (count > 1) out[written++] = static_cast<std::uint8_t>((d1 << 4) | (d2 >> 2));
    if (count > 2) out[written++] = static_cast<std::uint8_t>((d2 << 6) | d3);
    // Decoding ends at the first group that holds a pad; the rest is ignored.
    if (count < 3) ended_ = true;
  }
  return written;
}

Result<Done> Base64Decoder::Finish() const {
  if (pendingCount_ != 0 && !ended_) {
    return Failure(status::kBase64DecodeFailed, "Base64 text ends inside a group");
  }
  return Done{};
}

Result<std::string> Base64Encode(ByteView data, bool lineBreaks) {
  constexpr std::size_t kMaxLength = std::numeric_limits<std::int32_t>::max();
  if (data.size() > kMaxLength / 2 || Base64TextLength(data.size(), lineBreaks) > kMaxLength) {
    return Failure(status::kNoMemory, "Base64 text too long");
  }
  std::string text(Base64TextLength(data.size(), lineBreaks), '\0');
  Base64Encoder encoder(lineBreaks);
  const std::size_t body = encoder.Update(data, text.data());
  encoder.Finish(text.data() + body);
  return text;
}

Result<Bytes> Base64Decode(std::string_view text) {
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    return Failure(status::kNoMemory, "Base64 text too long");
  }
  // Four characters make at most three bytes; the text's length would leave a third of
  // the buffer unused.
  Bytes bytes(text.size() / 4 * 3 + 3);
  Base64Decoder decoder;
  const std::size_t written = decoder.Update(text, bytes);
  if (decoder.overflowed()) return Failure(status::kNoMemory, "Base64 output overflowed");
  if (Result<Done> finished = decoder.Finish(); !finished) return finished.error();
  bytes.resize(decoder.emptied() ? 0 : written);
  return bytes;
}

}  // namespace velsor::formats
