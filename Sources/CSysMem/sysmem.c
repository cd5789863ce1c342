#include "sysmem.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "meminfo.h"
#include "smallfile.h"

/* /proc/meminfo is about 1.5 KiB; the buffers stay on the stack. */
enum { kMeminfoBufferSize = 8192, kSmallFileBufferSize = 512 };

static int read_meminfo(qv_meminfo *info) {
    char buffer[kMeminfoBufferSize];
    long length = qv_read_small_file(AT_FDCWD, "/proc/meminfo", buffer, sizeof buffer);
    if (length < 0) return -1;
    return qv_parse_meminfo(buffer, (size_t)length, info);
}

/* Sum of mem_used_total over every zram device; devices whose statistics
 * cannot be read are left out. */
static uint64_t zram_bytes(void) {
    DIR *dir = opendir("/sys/block");
    if (!dir) return 0;
    uint64_t total = 0;
    struct dirent *entry;
    while ((entry = readdir(dir)) != NULL) {
        if (strncmp(entry->d_name, "zram", 4) != 0) continue;
        char path[320];
        snprintf(path, sizeof path, "/sys/block/%s/mm_stat", entry->d_name);
        char buffer[kSmallFileBufferSize];
        long length = qv_read_small_file(AT_FDCWD, path, buffer, sizeof buffer);
        uint64_t used = 0;
        if (length > 0 && qv_parse_zram_mm_stat(buffer, (size_t)length, &used) == 0)
            total = total > UINT64_MAX - used ? UINT64_MAX : total + used;
    }
    closedir(dir);
    return total;
}

int32_t qv_vm_stats(qv_vm_record *record) {
    if (!record) return -1;
    memset(record, 0, sizeof *record);
    long pageSize = sysconf(_SC_PAGESIZE);
    if (pageSize <= 0) return -1;
    qv_meminfo info;
    if (read_meminfo(&info) != 0) return -1;
    return qv_vm_record_from_meminfo(&info, (uint64_t)pageSize, zram_bytes(), record) == 0 ? 0 : -1;
}

int32_t qv_pressure_level(void) {
    char buffer[kSmallFileBufferSize];
    qv_psi psi;
    long length = qv_read_small_file(AT_FDCWD, "/proc/pressure/memory", buffer, sizeof buffer);
    qv_parse_psi(length >= 0 ? buffer : NULL, length >= 0 ? (size_t)length : 0, &psi);
    qv_meminfo info;
    int hasInfo = read_meminfo(&info) == 0;
    return qv_classify_pressure(&psi, hasInfo ? &info : NULL);
}
