// The two compression functions other programs load by their plain names.

#include "formats/gzip_member.h"
#include "formats/velsor_compression.h"

// The Windows DLL names its exports in mem_exports.def; elsewhere only these are visible.
#ifdef _WIN32
#define VELSOR_EXPORT
#else
#define VELSOR_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

VELSOR_EXPORT int mem_compress(const unsigned char* source, int sourceLength, unsigned char* dest,
                               int* destLength) {
  return velsor::formats::GzipCompress(source, sourceLength, dest, destLength);
}

VELSOR_EXPORT int mem_uncompress(const unsigned char* source, int sourceLength, unsigned char* dest,
                                 int* destLength) {
  return velsor::formats::GzipUncompress(source, sourceLength, dest, destLength);
}

}  // extern "C"
