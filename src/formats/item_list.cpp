#include "formats/item_list.h"

namespace velsor::formats {

bool ItemList::Append(ByteView data) {
  if (data.empty()) return false;
  entries_.emplace_back(data.begin(), data.end());
  return true;
}

std::optional<ByteView> ItemList::Get(std::int32_t index) const {
  if (index < 0 || index >= Count()) return std::nullopt;
  return ByteView(entries_[static_cast<std::size_t>(index)]);
}

}  // namespace velsor::formats
