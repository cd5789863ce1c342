#ifndef QV_SMALLFILE_H
#define QV_SMALLFILE_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Reads the whole small file at path (relative to the directory descriptor
 * dir, or AT_FDCWD) into buffer; returns the length, or -1. When the file is
 * larger than the buffer, the cut-off last line is dropped so that no half
 * value is parsed. Meant for files under /proc and /sys, whose reads come
 * short only at the end. Nothing is allocated. */
long qv_read_small_file(int dir, const char *path, char *buffer, size_t size);

#ifdef __cplusplus
}
#endif

#endif
