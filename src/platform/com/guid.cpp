#include "platform/com/guid.h"

#include <cstdio>

#include "platform/base/hex.h"

namespace velsor {
namespace {

// Reads `digits` hexadecimal digits at `pos`, advancing it.
std::optional<std::uint64_t> ReadHex(std::string_view text, std::size_t& pos, std::size_t digits) {
  if (text.size() - pos < digits) return std::nullopt;
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    auto d = HexDigitValue(static_cast<unsigned char>(text[pos + i]));
    if (!d) return std::nullopt;
    value = (value << 4) | *d;
  }
  pos += digits;
  return value;
}

bool Expect(std::string_view text, std::size_t& pos, char c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

}  // namespace

std::string GuidToString(const GUID& g) {
  char buffer[39];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                g.Data1, g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return buffer;
}

std::optional<GUID> ParseGuid(std::string_view text) {
  if (text.size() != 38) return std::nullopt;
  std::size_t pos = 0;
  GUID g{};
  if (!Expect(text, pos, '{')) return std::nullopt;
  auto d1 = ReadHex(text, pos, 8);
  if (!d1 || !Expect(text, pos, '-')) return std::nullopt;
  auto d2 = ReadHex(text, pos, 4);
  if (!d2 || !Expect(text, pos, '-')) return std::nullopt;
  auto d3 = ReadHex(text, pos, 4);
  if (!d3 || !Expect(text, pos, '-')) return std::nullopt;
  g.Data1 = static_cast<std::uint32_t>(*d1);
  g.Data2 = static_cast<std::uint16_t>(*d2);
  g.Data3 = static_cast<std::uint16_t>(*d3);
  for (std::size_t i = 0; i < 8; ++i) {
    if (i == 2 && !Expect(text, pos, '-')) return std::nullopt;
    auto byte = ReadHex(text, pos, 2);
    if (!byte) return std::nullopt;
    g.Data4[i] = static_cast<std::uint8_t>(*byte);
  }
  if (!Expect(text, pos, '}')) return std::nullopt;
  return g;
}

}  // namespace velsor
