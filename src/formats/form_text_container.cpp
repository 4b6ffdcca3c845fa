#include "formats/form_text_container.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace velsor::formats {
namespace {

constexpr std::size_t kFieldSize = 8;
constexpr std::uint64_t kMaxField = 99'999'999;
constexpr char kNoEntries[] = "00000000";

void AppendField(Bytes& text, std::uint64_t value) {
  char digits[kFieldSize + 1];
  std::snprintf(digits, sizeof digits, "%08u", static_cast<unsigned>(value));
  text.insert(text.end(), digits, digits + kFieldSize);
}

void PutField(Bytes& text, std::size_t at, std::uint64_t value) {
  char digits[kFieldSize + 1];
  std::snprintf(digits, sizeof digits, "%08u", static_cast<unsigned>(value));
  std::memcpy(text.data() + at, digits, kFieldSize);
}

// A field reads as a number only when all eight of its bytes are digits inside the text;
// anything else reads as 0.
std::uint64_t ReadField(ByteView text, std::size_t at) {
  if (at > text.size() || text.size() - at < kFieldSize) return 0;
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < kFieldSize; ++i) {
    const std::uint8_t c = text[at + i];
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool StartsWithNoEntries(ByteView text) {
  return text.size() >= kFieldSize && std::memcmp(text.data(), kNoEntries, kFieldSize) == 0;
}

}  // namespace

Result<Done> FormTextContainer::AddItem(ByteView item) {
  if (item.empty()) return Failure(status::kMissingInput, "empty form item");
  try {
    items_.Append(item);
  } catch (const std::bad_alloc&) {
    return Failure(status::kFailed, "no memory for a form item");
  }
  return Done{};
}

Result<Done> FormTextContainer::AddFile(ByteView name, ByteView content) {
  if (name.empty() || content.empty()) return Failure(status::kMissingInput, "empty file entry");
  try {
    files_.Append(name);
  } catch (const std::bad_alloc&) {
    return Failure(status::kFailed, "no memory for a file entry");
  }
  try {
    files_.Append(content);
  } catch (const std::bad_alloc&) {
    files_.RemoveLast();
    return Failure(status::kFailed, "no memory for a file entry");
  }
  return Done{};
}

std::optional<FormTextContainer::File> FormTextContainer::GetFile(std::int32_t index) const {
  if (index < 0 || index >= FileCount()) return std::nullopt;
  return File{*files_.Get(2 * index), *files_.Get(2 * index + 1)};
}

void FormTextContainer::Reset() {
  items_.Clear();
  files_.Clear();
}

Result<Bytes> FormTextContainer::Serialize() const {
  // Every field is bounded by its block's total, so the two totals decide.
  std::uint64_t itemsTotal = 0;
  for (std::int32_t i = 0; i < ItemCount(); ++i) itemsTotal += kFieldSize + GetItem(i)->size();
  std::uint64_t filesTotal = 0;
  for (std::int32_t i = 0; i < FileCount(); ++i) {
    const File file = *GetFile(i);
    filesTotal += 2 * kFieldSize + file.name.size() + file.content.size();
  }
  if (itemsTotal > kMaxField || filesTotal > kMaxField) {
    return Failure(status::kFormTextTooLarge, "form text too large for its fields");
  }

  try {
    Bytes out;
    if (ItemCount() == 0 && FileCount() == 0) return out;
    out.reserve(static_cast<std::size_t>(itemsTotal + filesTotal) + 2 * kFieldSize);
    if (ItemCount() == 0) {
      AppendField(out, 0);
    } else {
      AppendField(out, itemsTotal);
      for (std::int32_t i = 0; i < ItemCount(); ++i) {
        const ByteView item = *GetItem(i);
        AppendField(out, item.size());
        out.insert(out.end(), item.begin(), item.end());
      }
    }
    if (FileCount() == 0) {
      AppendField(out, 0);
    } else {
      const std::size_t totalAt = out.size();
      AppendField(out, 0);
      for (std::int32_t i = 0; i < FileCount(); ++i) {
        const File file = *GetFile(i);
        AppendField(out, kFieldSize + file.name.size() + file.content.size());
        AppendField(out, file.name.size());
        out.insert(out.end(), file.name.begin(), file.name.end());
        out.insert(out.end(), file.content.begin(), file.content.end());
      }
      PutField(out, totalAt, filesTotal);
    }
    return out;
  } catch (const std::bad_alloc&) {
    return Failure(status::kNoMemory, "no memory for the form text");
  }
}

Result<Done> FormTextContainer::Parse(ByteView text) {
  if (text.data() == nullptr) return Failure(status::kMissingInput, "no form text");
  Reset();
  const auto fail = [this]() -> Result<Done> {
    Reset();
    return Failure(status::kFailed, "not a form text");
  };
  const auto remainingFrom = [&](std::size_t at) { return text.size() - at; };
  // A block total must be non-zero and lie within the text from its own first byte.
  const auto validTotal = [&](std::uint64_t total, std::size_t at) {
    return total != 0 && total <= remainingFrom(at);
  };

  std::size_t at = 0;
  if (StartsWithNoEntries(text)) {
    at = kFieldSize;
  } else {
    const std::uint64_t itemsTotal = ReadField(text, 0);
    if (!validTotal(itemsTotal, 0)) return fail();
    at = kFieldSize;
    std::uint64_t read = 0;
    for (;;) {
      const std::uint64_t length = ReadField(text, at);
      if (length == 0) break;
      if (kFieldSize + length > remainingFrom(at)) return fail();
      if (!AddItem(text.subspan(at + kFieldSize, length))) return fail();
      at += kFieldSize + length;
      read += kFieldSize + length;
      const std::size_t left = remainingFrom(at);
      if (left == 0 || left == kFieldSize || read == itemsTotal) break;
    }
    // Nothing left, or only the files total "00000000".
    if (remainingFrom(at) == 0 || remainingFrom(at) == kFieldSize) return Done{};
  }

  const std::uint64_t filesTotal = ReadField(text, at);
  if (!validTotal(filesTotal, at)) return fail();
  at += kFieldSize;
  std::uint64_t read = 0;
  while (remainingFrom(at) > 0) {
    const std::uint64_t entry = ReadField(text, at);
    if (entry == 0) break;
    if (kFieldSize + entry > remainingFrom(at)) return fail();
    const std::uint64_t nameLength = ReadField(text, at + kFieldSize);
    if (nameLength + kFieldSize > entry) return fail();
    const std::size_t nameAt = at + 2 * kFieldSize;
    const ByteView name = text.subspan(nameAt, nameLength);
    const ByteView content = text.subspan(nameAt + nameLength, entry - kFieldSize - nameLength);
    if (!AddFile(name, content)) return fail();
    at += kFieldSize + entry;
    read += kFieldSize + entry;
    // Bytes after the last entry read are ignored.
    if (read == filesTotal) break;
  }
  return Done{};
}

}  // namespace velsor::formats
