// Base64 decoding of arbitrary text: never writes past its output, and decoding in pieces
// gives what decoding at once gives; so does reading the same text as UTF-16 where the
// wide reader takes it (ASCII without zeros).

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "formats/base64.h"
#include "formats/wide_base64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velsor;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const Result<Bytes> whole = formats::Base64Decode(text);

  formats::Base64Decoder decoder;
  Bytes pieces(size);
  std::size_t written = 0;
  for (std::size_t at = 0; at < size; at += 7) {
    written += decoder.Update(text.substr(at, 7), std::span(pieces).subspan(written));
  }
  const Result<Done> piecesFinished = decoder.Finish();
  if (piecesFinished.code() != whole.code()) std::abort();
  if (whole) {
    const std::size_t pieceLength = decoder.emptied() ? 0 : written;
    if (pieceLength != whole->size()) std::abort();
    if (!std::equal(whole->begin(), whole->end(), pieces.begin())) std::abort();
    // What decodes re-encodes to text that decodes to the same bytes.
    const auto again = formats::Base64Decode(*formats::Base64Encode(*whole));
    if (!again || *again != *whole) std::abort();
  }
  std::u16string wide;
  for (unsigned char c : text) wide.push_back(c);
  formats::WideBase64Reader reader(wide);
  Bytes read;
  for (auto piece = reader.Next(); piece; piece = reader.Next()) {
    if (piece->empty()) {
      const bool readOk = reader.Finish() && !reader.emptied();
      const bool wholeOk = whole && !decoder.emptied();
      if (readOk != wholeOk) std::abort();
      if (readOk && !std::ranges::equal(read, *whole)) std::abort();
      break;
    }
    read.insert(read.end(), piece->begin(), piece->end());
  }
  // A short output is refused, never overrun.
  Bytes small(size / 4);
  formats::Base64Decoder shortOfRoom;
  if (shortOfRoom.Update(text, small) > small.size()) std::abort();
  return 0;
}
