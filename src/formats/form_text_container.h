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
#include "platform/base/result.h"
#include "platform/base/status_codes.h"

namespace velsor::formats {

// Failures carry the status codes a page reads: status::kMissingInput, status::kFailed,
// status::kNoMemory, and status::kFormTextTooLarge for a total, entry, name or content
// too large for its eight-digit field.

class FormTextContainer {
 public:
  struct File {
    ByteView name;
    ByteView content;
  };

  // kMissingInput for an empty item; kFailed when it cannot be stored.
  Result<Done> AddItem(ByteView item);
  // kMissingInput when the name or the content is empty; kFailed when they cannot be
  // stored. Name and content always go in together.
  Result<Done> AddFile(ByteView name, ByteView content);

  std::int32_t ItemCount() const { return items_.Count(); }
  std::int32_t FileCount() const { return files_.Count() / 2; }
  std::optional<ByteView> GetItem(std::int32_t index) const { return items_.Get(index); }
  std::optional<File> GetFile(std::int32_t index) const;

  // The formatted plain text, or kNoMemory or kFormTextTooLarge.
  Result<Bytes> Serialize() const;

  // Fills the container from a formatted plain text. kMissingInput for absent text (a
  // null span); kFailed for text not in the format, which leaves it empty.
  Result<Done> Parse(ByteView text);

  void Reset();

 private:
  ItemList items_;
  ItemList files_;  // name, content, name, content, ...
};

}  // namespace velsor::formats
