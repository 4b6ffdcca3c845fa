// Base64Decode on arbitrary text: never writes past its output, and decoding in pieces
// gives what decoding at once gives; so does reading the same text as UTF-16 where the
// wide reader takes it (ASCII without zeros).

#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <string>
#include <string_view>

#include "formats/base64.h"
#include "formats/wide_base64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velsor;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Bytes whole(size);
  std::int32_t length = 0;
  const std::int32_t status = formats::Base64Decode(text, whole, length);

  formats::Base64Decoder decoder;
  Bytes pieces(size);
  std::size_t written = 0;
  for (std::size_t at = 0; at < size; at += 7) {
    written += decoder.Update(text.substr(at, 7), std::span(pieces).subspan(written));
  }
  const std::int32_t pieceStatus = decoder.Finish();
  if (pieceStatus != status) std::abort();
  if (status == formats::kBase64Ok) {
    const std::size_t pieceLength = decoder.emptied() ? 0 : written;
    if (pieceLength != static_cast<std::size_t>(length)) std::abort();
    if (!std::equal(whole.begin(), whole.begin() + length, pieces.begin())) std::abort();
    // What decodes re-encodes to text that decodes to the same bytes.
    const auto again = formats::Base64DecodeText(
        formats::Base64EncodeText(ByteView(whole).first(static_cast<std::size_t>(length))));
    if (!again || !std::equal(again->begin(), again->end(), whole.begin())) std::abort();
  }
  std::u16string wide;
  for (unsigned char c : text) wide.push_back(c);
  formats::WideBase64Reader reader(wide);
  Bytes read;
  for (auto piece = reader.Next(); piece; piece = reader.Next()) {
    if (piece->empty()) {
      const bool readOk = reader.Finish() == formats::kBase64Ok && !reader.emptied();
      const bool wholeOk = status == formats::kBase64Ok && !decoder.emptied();
      if (readOk != wholeOk) std::abort();
      if (readOk && !std::ranges::equal(read, ByteView(whole).first(written))) std::abort();
      break;
    }
    read.insert(read.end(), piece->begin(), piece->end());
  }
  // A short output is refused, never overrun.
  Bytes small(size / 3);
  formats::Base64Decode(text, small, length);
  return 0;
}
