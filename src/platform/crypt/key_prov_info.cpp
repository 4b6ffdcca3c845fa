#include "platform/crypt/key_prov_info.h"

namespace velsor::crypt {
namespace {

constexpr std::size_t kMaxNameLength = 4096;

void PutWord(Bytes& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutName(Bytes& out, const std::u16string& name) {
  PutWord(out, static_cast<std::uint32_t>(name.size()));
  for (char16_t c : name) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
}

std::optional<std::uint32_t> TakeWord(ByteView& in) {
  if (in.size() < 4) return std::nullopt;
  const std::uint32_t value = in[0] | (in[1] << 8) | (in[2] << 16) | (std::uint32_t{in[3]} << 24);
  in = in.subspan(4);
  return value;
}

std::optional<std::u16string> TakeName(ByteView& in) {
  const auto length = TakeWord(in);
  if (!length || *length > kMaxNameLength || in.size() < 2 * std::size_t{*length}) {
    return std::nullopt;
  }
  std::u16string name;
  for (std::uint32_t i = 0; i < *length; ++i) {
    name.push_back(static_cast<char16_t>(in[2 * i] | (in[2 * i + 1] << 8)));
  }
  in = in.subspan(2 * std::size_t{*length});
  return name;
}

}  // namespace

Bytes EncodeKeyProvInfo(const KeyProvInfo& info) {
  Bytes out;
  PutWord(out, info.provType);
  PutWord(out, info.flags);
  PutWord(out, info.keySpec);
  PutName(out, info.containerName);
  PutName(out, info.providerName);
  return out;
}

std::optional<KeyProvInfo> DecodeKeyProvInfo(ByteView stored) {
  KeyProvInfo info;
  const auto provType = TakeWord(stored);
  const auto flags = TakeWord(stored);
  const auto keySpec = TakeWord(stored);
  if (!provType || !flags || !keySpec) return std::nullopt;
  auto container = TakeName(stored);
  auto provider = container ? TakeName(stored) : std::nullopt;
  if (!provider || !stored.empty()) return std::nullopt;
  info.provType = *provType;
  info.flags = *flags;
  info.keySpec = *keySpec;
  info.containerName = std::move(*container);
  info.providerName = std::move(*provider);
  return info;
}

}  // namespace velsor::crypt
