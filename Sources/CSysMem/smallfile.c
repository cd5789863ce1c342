#include "smallfile.h"

#include <fcntl.h>
#include <unistd.h>

long qv_read_small_fd(int fd, char *buffer, size_t size) {
    size_t length = 0;
    while (length < size) {
        ssize_t n = pread(fd, buffer + length, size - length, (off_t)length);
        if (n < 0) return -1;
        if (n == 0) break;
        const size_t asked = size - length;
        length += (size_t)n;
        /* Files under /proc and /sys hand out all they have while the buffer
         * has room, so a short read is the end; this spares the read that
         * would only return 0. */
        if ((size_t)n < asked) break;
    }
    if (length == size) {
        while (length > 0 && buffer[length - 1] != '\n') --length;
    }
    return (long)length;
}

long qv_read_small_file(int dir, const char *path, char *buffer, size_t size) {
    int fd = openat(dir, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    long length = qv_read_small_fd(fd, buffer, size);
    close(fd);
    return length;
}
