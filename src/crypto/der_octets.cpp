#include "crypto/der_octets.h"

namespace velsor::crypto {

void AppendBase128(Bytes& out, std::uint32_t value) {
  std::uint8_t groups[5];
  int count = 0;
  do {
    groups[count++] = value & 0x7F;
    value >>= 7;
  } while (value != 0);
  while (count > 1) out.push_back(groups[--count] | 0x80);
  out.push_back(groups[0]);
}

std::int32_t IdentifierSize(std::int32_t tag) {
  if (tag <= 30) return 1;
  std::int32_t size = 1;
  for (auto value = static_cast<std::uint32_t>(tag); value != 0; value >>= 7) ++size;
  return size;
}

bool AppendIdentifier(Bytes& out, std::uint8_t classByte, std::int32_t tag) {
  if (tag < 0) return false;
  if (tag <= 30) {
    out.push_back(static_cast<std::uint8_t>((classByte & 0xE0) | tag));
    return true;
  }
  out.push_back(classByte | 0x1F);
  AppendBase128(out, static_cast<std::uint32_t>(tag));
  return true;
}

bool AppendLength(Bytes& out, std::int32_t length) {
  if (length < 0) return false;
  if (length < 0x80) {
    out.push_back(static_cast<std::uint8_t>(length));
    return true;
  }
  int count = 1;
  while (count < 4 && (static_cast<std::uint32_t>(length) >> (8 * count)) != 0) ++count;
  out.push_back(static_cast<std::uint8_t>(0x80 | count));
  for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
  return true;
}

}  // namespace velsor::crypto
