#pragma once
// An ordered list of non-empty byte strings, each held as its own copy.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/base/bytes.h"

namespace velsor::formats {

class ItemList {
 public:
  // Refuses empty data; a copy that cannot be made throws std::bad_alloc.
  bool Append(ByteView data);
  void RemoveLast() { entries_.pop_back(); }
  std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }
  // Nothing for a negative index or one past the end.
  std::optional<ByteView> Get(std::int32_t index) const;
  void Clear() { entries_.clear(); }

 private:
  std::vector<Bytes> entries_;
};

}  // namespace velsor::formats
