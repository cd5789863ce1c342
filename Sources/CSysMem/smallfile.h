#ifndef QV_SMALLFILE_H
#define QV_SMALLFILE_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Reads the whole small file open as fd into buffer, from its start whatever
 * was read before; returns the length, or -1. /proc makes its text afresh at
 * each read from the start, so a file kept open can be read again and again.
 * When the file is larger than the buffer, the cut-off last line is dropped
 * so that no half value is parsed. Meant for files under /proc and /sys,
 * whose reads come short only at the end. Nothing is allocated. */
long qv_read_small_fd(int fd, char *buffer, size_t size);

/* qv_read_small_fd for the file at path, relative to the directory
 * descriptor dir or AT_FDCWD. */
long qv_read_small_file(int dir, const char *path, char *buffer, size_t size);

#ifdef __cplusplus
}
#endif

#endif
