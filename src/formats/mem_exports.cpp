// The two compression functions other programs load by their plain names, in the calling
// convention velsor_compression.h documents.

#include <zlib.h>

#include <span>

#include "formats/gzip_member.h"
#include "formats/velsor_compression.h"

// The Windows DLL names its exports in mem_exports.def; elsewhere only these are visible.
#ifdef _WIN32
#define VELSOR_EXPORT
#else
#define VELSOR_EXPORT __attribute__((visibility("default")))
#endif

namespace {

using velsor::Result;
using velsor::formats::SizedOutput;

std::span<std::uint8_t> Room(unsigned char* dest, const int* destLength) {
  if (dest == nullptr || *destLength <= 0) return {};
  return {dest, static_cast<std::size_t>(*destLength)};
}

int Report(const Result<SizedOutput>& result, int* destLength) {
  if (!result) return static_cast<int>(result.code());
  *destLength = static_cast<int>(result->size);
  return result->fits ? Z_OK : Z_BUF_ERROR;
}

}  // namespace

extern "C" {

VELSOR_EXPORT int mem_compress(const unsigned char* source, int sourceLength, unsigned char* dest,
                               int* destLength) {
  if (destLength == nullptr || source == nullptr || sourceLength == 0) return Z_DATA_ERROR;
  // A negative length counts as no data at all.
  const velsor::ByteView data(source,
                              sourceLength < 0 ? 0 : static_cast<std::size_t>(sourceLength));
  return Report(velsor::formats::GzipCompress(data, Room(dest, destLength)), destLength);
}

VELSOR_EXPORT int mem_uncompress(const unsigned char* source, int sourceLength, unsigned char* dest,
                                 int* destLength) {
  if (destLength == nullptr || source == nullptr || sourceLength <= 0) return Z_DATA_ERROR;
  const velsor::ByteView member(source, static_cast<std::size_t>(sourceLength));
  return Report(velsor::formats::GzipUncompress(member, Room(dest, destLength)), destLength);
}

}  // extern "C"
