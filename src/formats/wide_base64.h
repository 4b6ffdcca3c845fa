#pragma once
// Base64 read straight from a page's UTF-16 text, piece by piece, so that a big message
// never needs a narrow copy of its text. Only ASCII without zero characters is read this
// way: any other unit, and the zero that ends a converted text, are for a code-page
// conversion to judge.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "formats/base64.h"
#include "platform/base/bytes.h"

namespace velsor::formats {

class WideBase64Reader {
 public:
  static constexpr std::size_t kUnitsAPiece = 16384;

  explicit WideBase64Reader(std::u16string_view text) : rest_(text) {}

  // The next decoded bytes (at most 12 KiB), empty at the end of the text; nothing at a
  // zero or a unit outside ASCII. A piece stays valid until the next call.
  std::optional<ByteView> Next();

  // As Base64Decoder reports them once the text is read.
  Result<Done> Finish() const { return decoder_.Finish(); }
  bool emptied() const { return decoder_.emptied(); }

 private:
  std::u16string_view rest_;
  Base64Decoder decoder_;
  std::array<char, kUnitsAPiece> narrow_{};
  // Four characters make three bytes, and a carried group adds up to three more.
  std::array<std::uint8_t, kUnitsAPiece / 4 * 3 + 3> decoded_{};
};

}  // namespace velsor::formats
