#include "crypto/ber_decoder.h"

#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <string>

#include "platform/base/hex.h"

namespace velsor::crypto {
namespace {

constexpr std::size_t kMaxArcs = 50;
constexpr int kMaxTagBytes = 5;
constexpr int kMaxLengthBytes = 4;

// Content octets of 0 to 4 bytes, sign-extended to 32 bits.
std::optional<std::int32_t> IntegerValue(ByteView content) {
  if (content.size() > 4) return std::nullopt;
  std::uint32_t value = !content.empty() && (content[0] & 0x80) ? 0xFFFFFFFFu : 0;
  for (std::uint8_t byte : content) value = (value << 8) | byte;
  return static_cast<std::int32_t>(value);
}

std::optional<std::vector<std::int32_t>> Arcs(ByteView content) {
  if (content.empty() || content[0] / 40 > 2) return std::nullopt;
  std::vector<std::int32_t> arcs{content[0] / 40, content[0] % 40};
  std::uint64_t arc = 0;
  bool open = false;  // inside an arc whose last byte has not come yet
  for (std::uint8_t byte : content.subspan(1)) {
    arc = (arc << 7) | (byte & 0x7F);
    if (arc > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
      return std::nullopt;
    }
    open = (byte & 0x80) != 0;
    if (open) continue;
    if (arcs.size() == kMaxArcs) return std::nullopt;
    arcs.push_back(static_cast<std::int32_t>(arc));
    arc = 0;
  }
  if (open) return std::nullopt;
  return arcs;
}

}  // namespace

std::optional<ByteView> BerContext::Take(std::int32_t length) {
  if (length < 0 || static_cast<std::size_t>(length) > Remaining()) return std::nullopt;
  const ByteView taken = data_.subspan(position_, static_cast<std::size_t>(length));
  position_ += static_cast<std::size_t>(length);
  return taken;
}

std::int32_t BerContext::ReadIdentifier(Header& header) {
  if (Remaining() == 0) return kBerEnd;
  const std::size_t start = position_;
  const std::uint8_t first = data_[position_++];
  header.classByte = first & 0xE0;
  if ((first & 0x1F) != 0x1F) {
    header.tag = first & 0x1F;
    return kBerOk;
  }
  std::uint64_t tag = 0;
  for (int i = 0; i < kMaxTagBytes; ++i) {
    if (Remaining() == 0) return kBerMalformed;
    const std::uint8_t byte = data_[position_++];
    tag = (tag << 7) | (byte & 0x7F);
    if ((byte & 0x80) == 0) {
      if (tag > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) break;
      header.tag = static_cast<std::int32_t>(tag);
      return kBerOk;
    }
  }
  position_ = start;
  return kBerMalformed;
}

bool BerContext::ReadLength(Header& header) {
  if (Remaining() == 0) return false;
  const std::uint8_t first = data_[position_++];
  if (first < 0x80) {
    header.length = first;
    return true;
  }
  // 0x80 alone marks an indefinite length, which reads as 0.
  const int count = first & 0x7F;
  if (count > kMaxLengthBytes || static_cast<std::size_t>(count) > Remaining()) return false;
  std::uint64_t length = 0;
  for (int i = 0; i < count; ++i) length = (length << 8) | data_[position_++];
  if (length > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) return false;
  header.length = static_cast<std::int32_t>(length);
  return true;
}

std::int32_t BerContext::ReadHeader(Header& header) {
  if (std::int32_t status = ReadIdentifier(header); status != kBerOk) return status;
  return ReadLength(header) ? kBerOk : kBerMalformed;
}

std::int32_t BerContext::Decode(std::string_view format, std::span<const BerArg> args) {
  ArgCursor<BerArg> cursor(args);
  const auto out = [&](ArgKind kind) -> void* {
    const BerArg* arg = cursor.Next(kind);
    return arg ? arg->pointer : nullptr;
  };
  try {
    for (char c : format) {
      Header header;
      switch (c) {
        case '}':
        case ']':
        case ')':
          continue;
        case 't': {
          auto* tag = static_cast<std::int32_t*>(out(kIntOut));
          auto* classByte = static_cast<std::uint8_t*>(out(kByteOut));
          if (tag == nullptr || classByte == nullptr) return kBerMalformed;
          const std::size_t start = position_;
          const std::int32_t status = ReadIdentifier(header);
          position_ = start;
          if (status != kBerOk) return status;
          *tag = header.tag;
          *classByte = header.classByte;
          continue;
        }
        case '$': {
          auto* element = static_cast<Bytes*>(out(kBytesOut));
          auto* length = static_cast<std::int32_t*>(out(kIntOut));
          if (element == nullptr || length == nullptr) return kBerMalformed;
          const std::size_t start = position_;
          if (std::int32_t status = ReadHeader(header); status != kBerOk) return status;
          const auto content = Take(header.length);
          if (!content) return kBerMalformed;
          element->assign(data_.begin() + static_cast<std::ptrdiff_t>(start),
                          data_.begin() + static_cast<std::ptrdiff_t>(position_));
          *length = static_cast<std::int32_t>(element->size());
          continue;
        }
        default:
          break;
      }

      if (std::int32_t status = ReadHeader(header); status != kBerOk) return status;
      switch (c) {
        case '{':
        case '[':
        case '(':
        case 'n':
          break;
        case 'x':
          if (!Take(header.length)) return kBerMalformed;
          break;
        case 'b': {
          auto* value = static_cast<std::uint8_t*>(out(kByteOut));
          const auto byte = Take(1);
          if (value == nullptr || !byte || ((*byte)[0] != 0x00 && (*byte)[0] != 0xFF)) {
            return kBerMalformed;
          }
          *value = (*byte)[0];
          break;
        }
        case 'i':
        case 'e': {
          auto* value = static_cast<std::int32_t*>(out(kIntOut));
          if (value == nullptr || header.length > 4) return kBerMalformed;
          const auto content = Take(header.length);
          if (!content) return kBerMalformed;
          *value = *IntegerValue(*content);
          break;
        }
        case 'I': {
          auto* text = static_cast<std::string*>(out(kTextOut));
          auto* length = static_cast<std::int32_t*>(out(kIntOut));
          const auto content = Take(header.length);
          if (text == nullptr || length == nullptr || !content) return kBerMalformed;
          *text = HexText(*content, HexCase::Upper);
          *length = 2 * header.length;
          break;
        }
        case 'o':
        case '6': {
          auto* bytes = static_cast<Bytes*>(out(kBytesOut));
          auto* length = static_cast<std::int32_t*>(out(kIntOut));
          const auto content = Take(header.length);
          if (bytes == nullptr || length == nullptr || !content) return kBerMalformed;
          bytes->assign(content->begin(), content->end());
          *length = header.length;
          break;
        }
        case 'a': {
          auto* text = static_cast<std::string*>(out(kTextOut));
          const auto content = Take(header.length);
          if (text == nullptr || !content) return kBerMalformed;
          text->assign(AsText(*content));
          break;
        }
        case 'g':
        case 'u': {
          const BerArg* buffer = cursor.Next(kTextBuffer);
          const auto content = Take(header.length);
          // The caller's buffer must hold the text and its terminating zero.
          if (buffer == nullptr || !content || buffer->buffer.size() <= content->size()) {
            return kBerMalformed;
          }
          std::memcpy(buffer->buffer.data(), content->data(), content->size());
          buffer->buffer[content->size()] = '\0';
          break;
        }
        case 'B': {
          auto* bytes = static_cast<Bytes*>(out(kBytesOut));
          auto* bits = static_cast<std::int32_t*>(out(kIntOut));
          if (bytes == nullptr || bits == nullptr) return kBerMalformed;
          bytes->clear();
          *bits = 0;
          if (header.length == 0) break;
          const auto unused = Take(1);
          if (!unused || (*unused)[0] > 8) return kBerMalformed;
          if (header.length == 1) break;
          const auto data = Take(header.length - 1);
          if (!data) return kBerMalformed;
          bytes->assign(data->begin(), data->end());
          bytes->back() &= static_cast<std::uint8_t>(0xFF << (*unused)[0]);
          *bits = 8 * (header.length - 1) - (*unused)[0];
          break;
        }
        case 'O': {
          auto* arcs = static_cast<std::vector<std::int32_t>*>(out(kArcsOut));
          auto* count = static_cast<std::int32_t*>(out(kIntOut));
          const auto content = Take(header.length);
          if (arcs == nullptr || count == nullptr || !content) return kBerMalformed;
          auto parsed = Arcs(*content);
          if (!parsed) return kBerMalformed;
          *arcs = std::move(*parsed);
          *count = static_cast<std::int32_t>(arcs->size());
          break;
        }
        default:
          return kBerMalformed;
      }
    }
  } catch (const std::bad_alloc&) {
    return kBerMalformed;
  }
  return kBerOk;
}

}  // namespace velsor::crypto
