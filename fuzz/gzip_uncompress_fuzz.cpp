// mem_uncompress on arbitrary bytes: bounded work, exact sizes, no overrun of the caller's
// buffer whatever its capacity.

#include <cstdint>
#include <cstdlib>

#include "formats/gzip_member.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velsor::formats;
  if (size > 1 << 20) return 0;
  const auto length = static_cast<std::int32_t>(size);
  std::int32_t needed = 0;
  const std::int32_t status = GzipUncompress(data, length, nullptr, &needed);
  if (status != kZBufError) return 0;
  // Too small by one, then exact: the second call must succeed with the same size.
  velsor::Bytes out(static_cast<std::size_t>(needed) + 1);
  std::int32_t capacity = needed > 0 ? needed - 1 : 0;
  if (needed > 0 && GzipUncompress(data, length, out.data(), &capacity) != kZBufError) {
    std::abort();
  }
  std::int32_t exact = needed;
  if (GzipUncompress(data, length, out.data(), &exact) != kZOk || exact != needed) std::abort();
  return 0;
}
