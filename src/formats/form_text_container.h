#pragma once
// Form items and files packed into one byte string, the formatted plain text that a page
// signs. Every number in it is eight zero-padded decimal digits:
//
//   items total, then per item: length, bytes
//   files total, then per file: entry length R, name length N, name, content (R = 8 + N + C)
//
// A text with items only ends in "00000000" (no files), one with files only begins with
// it, and a text with neither is empty.

#include <cstdint>
#include <optional>

#include "formats/item_list.h"
#include "platform/base/bytes.h"
#include "platform/base/status_codes.h"

namespace velsor::formats {

inline constexpr std::int32_t kFormTextOk = 0;
inline constexpr std::int32_t kFormTextFailed = -1;
inline constexpr std::int32_t kFormTextNoMemory = status::kNoMemory;
inline constexpr std::int32_t kFormTextMissing = status::kMissingInput;
// A total, entry, name or content too large for its eight-digit field.
inline constexpr std::int32_t kFormTextTooLarge = status::kFormTextTooLarge;

class FormTextContainer {
 public:
  struct File {
    ByteView name;
    ByteView content;
  };

  // kFormTextMissing for an empty item; kFormTextFailed when it cannot be stored.
  std::int32_t AddItem(ByteView item);
  // kFormTextMissing when the name or the content is empty; kFormTextFailed when they
  // cannot be stored. Name and content always go in together.
  std::int32_t AddFile(ByteView name, ByteView content);

  std::int32_t ItemCount() const { return items_.Count(); }
  std::int32_t FileCount() const { return files_.Count() / 2; }
  std::optional<ByteView> GetItem(std::int32_t index) const { return items_.Get(index); }
  std::optional<File> GetFile(std::int32_t index) const;

  // kFormTextNoMemory or kFormTextTooLarge on failure; `text` is then unchanged.
  std::int32_t Serialize(Bytes& text) const;

  // Fills the container from a formatted plain text. kFormTextMissing for absent text (a
  // null span); kFormTextFailed for text not in the format, which leaves it empty.
  std::int32_t Parse(ByteView text);

  void Reset();

 private:
  ItemList items_;
  ItemList files_;  // name, content, name, content, ...
};

}  // namespace velsor::formats
