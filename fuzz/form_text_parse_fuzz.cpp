// Parse on arbitrary bytes: what parses serializes, and the serialized text parses back to
// the same entries.

#include <cstdint>
#include <cstdlib>

#include "formats/form_text_container.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velsor;
  using namespace velsor::formats;
  const std::uint8_t empty = 0;
  FormTextContainer container;
  if (!container.Parse(ByteView(size > 0 ? data : &empty, size))) {
    if (container.ItemCount() != 0 || container.FileCount() != 0) std::abort();
    return 0;
  }
  const Result<Bytes> text = container.Serialize();
  if (!text) std::abort();
  if (container.ItemCount() == 0 && container.FileCount() == 0) return 0;
  FormTextContainer again;
  if (!again.Parse(*text)) std::abort();
  if (again.ItemCount() != container.ItemCount() || again.FileCount() != container.FileCount()) {
    std::abort();
  }
  const Result<Bytes> second = again.Serialize();
  if (!second || *second != *text) std::abort();
  return 0;
}
