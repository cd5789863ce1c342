#define _GNU_SOURCE
#include "procmem.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "procparse.h"
#include "smallfile.h"

/* status is about 1.5 KiB and stat a few hundred bytes; everything stays on
 * the stack. */
enum {
    kStatusBufferSize = 4096,
    kStatBufferSize = 2048,
    kLinkBufferSize = 4096,
    kEntriesBufferSize = 16384,
    kDirPathSize = 32
};

/* The process's /proc directory. Files read through it all belong to the
 * same process: if the pid is reused meanwhile, they fail instead of
 * describing the newcomer. */
static int open_process_dir(int32_t pid) {
    char path[kDirPathSize];
    snprintf(path, sizeof path, "/proc/%d", (int)pid);
    return open(path, O_PATH | O_DIRECTORY | O_CLOEXEC);
}

int32_t qv_list_pids(int32_t *buffer, int32_t capacity) {
    if (!buffer || capacity <= 0) return -1;
    int fd = open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    _Alignas(struct dirent64) char entries[kEntriesBufferSize];
    int32_t count = 0;
    while (count < capacity) {
        ssize_t n = getdents64(fd, entries, sizeof entries);
        if (n < 0) {
            count = -1;
            break;
        }
        if (n == 0) break;
        for (ssize_t offset = 0; offset < n && count < capacity;) {
            const struct dirent64 *entry = (const struct dirent64 *)(entries + offset);
            if (entry->d_reclen == 0) break;
            int32_t pid = qv_pid_from_entry_name(entry->d_name);
            if (pid > 0) buffer[count++] = pid;
            offset += entry->d_reclen;
        }
    }
    close(fd);
    return count;
}

int32_t qv_proc_info(int32_t pid, qv_proc_record *record) {
    return qv_proc_info_since(pid, 0, 0, record);
}

int32_t qv_proc_info_since(int32_t pid, uint64_t known_inode, uint64_t known_start_time,
                           qv_proc_record *record) {
    if (!record || pid <= 0) return -1;
    int dir = open_process_dir(pid);
    if (dir < 0) return -1;
    struct stat dirStat;
    const uint64_t inode = fstat(dir, &dirStat) == 0 ? (uint64_t)dirStat.st_ino : 0;
    const int sameProcess = known_start_time != 0 && inode != 0 && inode == known_inode;
    char status[kStatusBufferSize];
    char stat[kStatBufferSize];
    char exe[kLinkBufferSize];
    long statusLength = qv_read_small_file(dir, "status", status, sizeof status);
    long statLength = -1;
    ssize_t exeLength = -1;
    if (statusLength >= 0) {
        if (!sameProcess) statLength = qv_read_small_file(dir, "stat", stat, sizeof stat);
        exeLength = readlinkat(dir, "exe", exe, sizeof exe);
    }
    close(dir);
    if (statusLength < 0) return -1;
    /* Unreadable stat or exe leave the start time or the path unknown. */
    if (statLength < 0) statLength = 0;
    if (exeLength < 0) exeLength = 0;
    if (qv_proc_record_from_texts(pid, status, (size_t)statusLength, stat, (size_t)statLength, exe,
                                  (size_t)exeLength, record) != 0) {
        return -1;
    }
    record->inode = inode;
    if (sameProcess) record->start_time = known_start_time;
    return 0;
}

uint64_t qv_phys_footprint(int32_t pid) {
    if (pid <= 0) return 0;
    int dir = open_process_dir(pid);
    if (dir < 0) return 0;
    char text[kStatusBufferSize];
    long length = qv_read_small_file(dir, "status", text, sizeof text);
    close(dir);
    qv_proc_status status;
    if (length < 0 || qv_parse_proc_status(text, (size_t)length, &status) != 0) return 0;
    return status.footprint;
}
