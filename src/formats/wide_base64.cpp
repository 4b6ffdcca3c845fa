#include "formats/wide_base64.h"

#include <algorithm>

namespace velsor::formats {

std::optional<ByteView> WideBase64Reader::Next() {
  while (!rest_.empty()) {
    const std::size_t count = std::min(rest_.size(), kUnitsAPiece);
    for (std::size_t i = 0; i < count; ++i) {
      if (rest_[i] == 0 || rest_[i] > 0x7F) return std::nullopt;
      narrow_[i] = static_cast<char>(rest_[i]);
    }
    rest_.remove_prefix(count);
    const std::size_t written = decoder_.Update(std::string_view(narrow_.data(), count), decoded_);
    if (written > 0) return ByteView(decoded_).first(written);
  }
  return ByteView();
}

}  // namespace velsor::formats
