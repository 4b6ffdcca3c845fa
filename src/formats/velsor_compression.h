/* libvelsor_compression: the compressed form of Velsor's large signed messages, one gzip
 * member (RFC 1952), for programs that make or read it without the control.
 *
 * `destLength` holds the capacity of `dest` on entry and the size of the whole result on
 * return; a result that does not fit still reports its exact size, so a caller may ask
 * once with no room and again with enough. Both return zlib's status values: 0 (Z_OK),
 * -5 (Z_BUF_ERROR) when the result does not fit, -4 (Z_MEM_ERROR) when memory runs out,
 * -3 (Z_DATA_ERROR) for missing arguments or input that is no member or is corrupt.
 * Link with -lvelsor_compression. */
#ifndef VELSOR_COMPRESSION_H
#define VELSOR_COMPRESSION_H

#ifdef __cplusplus
extern "C" {
#endif

int mem_compress(const unsigned char* source, int sourceLength, unsigned char* dest,
                 int* destLength);
int mem_uncompress(const unsigned char* source, int sourceLength, unsigned char* dest,
                   int* destLength);

#ifdef __cplusplus
}
#endif

#endif
