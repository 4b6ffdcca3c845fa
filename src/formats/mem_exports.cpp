// The two compression functions other programs load by their plain names.

#include "formats/gzip_member.h"

extern "C" {

__attribute__((visibility("default"))) int mem_compress(const unsigned char* source,
                                                        int sourceLength, unsigned char* dest,
                                                        int* destLength) {
  return velsor::formats::GzipCompress(source, sourceLength, dest, destLength);
}

__attribute__((visibility("default"))) int mem_uncompress(const unsigned char* source,
                                                          int sourceLength, unsigned char* dest,
                                                          int* destLength) {
  return velsor::formats::GzipUncompress(source, sourceLength, dest, destLength);
}

}  // extern "C"
