#define _GNU_SOURCE
#include "procmem.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "procparse.h"
#include "smallfile.h"

/* status is about 1.5 KiB, stat a few hundred bytes, schedstat and statm a
 * short line each; everything stays on the stack. */
enum {
    kStatusBufferSize = 4096,
    kStatBufferSize = 2048,
    kLinkBufferSize = 4096,
    kMarkBufferSize = 256,
    kEntriesBufferSize = 16384,
    kDirPathSize = 32,
    kFilePathSize = 48
};

/* The process's /proc directory. Files read through it all belong to the
 * same process: if the pid is reused meanwhile, they fail instead of
 * describing the newcomer. */
static int open_process_dir(int32_t pid) {
    char path[kDirPathSize];
    snprintf(path, sizeof path, "/proc/%d", (int)pid);
    return open(path, O_PATH | O_DIRECTORY | O_CLOEXEC);
}

/* Hands each positive pid under /proc with its inode to store, at most
 * capacity of them; returns how many, or -1. */
typedef void (*entry_store)(void *buffer, int32_t index, int32_t pid, uint64_t inode);

static int32_t list_entries(void *buffer, int32_t capacity, entry_store store) {
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
            if (pid > 0) store(buffer, count++, pid, (uint64_t)entry->d_ino);
            offset += entry->d_reclen;
        }
    }
    close(fd);
    return count;
}

static void store_pid(void *buffer, int32_t index, int32_t pid, uint64_t inode) {
    (void)inode;
    ((int32_t *)buffer)[index] = pid;
}

static void store_entry(void *buffer, int32_t index, int32_t pid, uint64_t inode) {
    ((qv_pid_entry *)buffer)[index] = (qv_pid_entry){pid, inode};
}

int32_t qv_list_pids(int32_t *buffer, int32_t capacity) {
    return list_entries(buffer, capacity, store_pid);
}

int32_t qv_list_pid_entries(qv_pid_entry *buffer, int32_t capacity) {
    return list_entries(buffer, capacity, store_entry);
}

/* Unreadable stat or exe leave the start time or the path unknown. */
static int32_t record_from_texts(int32_t pid, const char *status, long statusLength,
                                 const char *stat, long statLength, const char *exe,
                                 ssize_t exeLength, qv_proc_record *record) {
    if (statusLength < 0) return -1;
    return qv_proc_record_from_texts(pid, status, (size_t)statusLength, stat,
                                     statLength < 0 ? 0 : (size_t)statLength, exe,
                                     exeLength < 0 ? 0 : (size_t)exeLength, record);
}

int32_t qv_proc_info(int32_t pid, qv_proc_record *record) {
    if (!record || pid <= 0) return -1;
    int dir = open_process_dir(pid);
    if (dir < 0) return -1;
    struct stat dirStat;
    const uint64_t inode = fstat(dir, &dirStat) == 0 ? (uint64_t)dirStat.st_ino : 0;
    char status[kStatusBufferSize];
    char stat[kStatBufferSize];
    char exe[kLinkBufferSize];
    long statusLength = qv_read_small_file(dir, "status", status, sizeof status);
    long statLength = -1;
    ssize_t exeLength = -1;
    if (statusLength >= 0) {
        statLength = qv_read_small_file(dir, "stat", stat, sizeof stat);
        exeLength = readlinkat(dir, "exe", exe, sizeof exe);
    }
    close(dir);
    if (record_from_texts(pid, status, statusLength, stat, statLength, exe, exeLength, record) != 0)
        return -1;
    record->inode = inode;
    return 0;
}

/* "/proc/<pid>/<file>" into path. */
static void process_file(char *path, size_t size, int32_t pid, const char *file) {
    snprintf(path, size, "/proc/%d/%s", (int)pid, file);
}

void qv_proc_memo_release(qv_proc_memo *memo) {
    if (!memo) return;
    if (memo->schedstat_fd >= 0) close(memo->schedstat_fd);
    if (memo->statm_fd >= 0) close(memo->statm_fd);
    *memo = QV_PROC_MEMO_EMPTY;
}

/* A short file of the process through the file kept in *fd, or from one
 * opened now and kept there when keep_open. */
static long read_kept(int32_t pid, const char *file, int keep_open, int *fd, char *text,
                      size_t size) {
    if (*fd >= 0) return qv_read_small_fd(*fd, text, size);
    char path[kFilePathSize];
    process_file(path, sizeof path, pid, file);
    int opened = open(path, O_RDONLY | O_CLOEXEC);
    if (opened < 0) return -1;
    long length = qv_read_small_fd(opened, text, size);
    if (keep_open && length >= 0)
        *fd = opened;
    else
        close(opened);
    return length;
}

/* The exe link into exe; -1 when it is missing, which it is exactly when
 * there is no memory map: a kernel thread, a zombie, or a process that is
 * gone. Other users' processes and ones that forbid inspection refuse it
 * instead, which leaves the path unknown (*length -1). */
static int read_exe(int32_t pid, char *exe, size_t size, ssize_t *length) {
    char path[kFilePathSize];
    process_file(path, sizeof path, pid, "exe");
    *length = readlink(path, exe, size);
    return *length < 0 && errno == ENOENT ? -1 : 0;
}

/* The run time and private resident pages now; 0 when both were read. */
static int read_marks(int32_t pid, int keep_open, qv_proc_memo *memo, uint64_t *runTime,
                      uint64_t *anonPages) {
    char text[kMarkBufferSize];
    long length = read_kept(pid, "schedstat", keep_open, &memo->schedstat_fd, text, sizeof text);
    if (length < 0 || qv_parse_schedstat_run_time(text, (size_t)length, runTime) != 0) return -1;
    length = read_kept(pid, "statm", keep_open, &memo->statm_fd, text, sizeof text);
    if (length < 0 || qv_parse_statm_anon_pages(text, (size_t)length, anonPages) != 0) return -1;
    return 0;
}

int32_t qv_proc_info_listed(const qv_pid_entry *entry, int keep_open, int reuse, qv_proc_memo *memo,
                            qv_proc_record *record) {
    if (!record || !entry || !memo || entry->pid <= 0) return -1;
    const int32_t pid = entry->pid;
    /* Another process by now, or no way to tell. */
    if (entry->inode == 0 || memo->inode != entry->inode) {
        qv_proc_memo_release(memo);
        memo->inode = entry->inode;
    }
    char path[kFilePathSize];
    char exe[kLinkBufferSize];
    ssize_t exeLength = -1;
    /* A process not known yet is looked at through its exe link first, so
     * that a kernel thread costs one look. Its marks then come after the
     * link, which an exec in between could make stale: it is read in full
     * once more at the next listing. */
    const int firstLook = memo->start_time == 0;
    if (firstLook && read_exe(pid, exe, sizeof exe, &exeLength) != 0) {
        qv_proc_memo_release(memo);
        return -1;
    }
    /* Read before status, so that whatever changes after them shows at the
     * next listing. */
    uint64_t runTime = 0;
    uint64_t anonPages = 0;
    const int marked = read_marks(pid, keep_open, memo, &runTime, &anonPages) == 0;
    if (reuse && marked && memo->marked && runTime == memo->run_time &&
        anonPages == memo->anon_pages)
        return 1;
    memo->marked = 0;
    if (!firstLook && read_exe(pid, exe, sizeof exe, &exeLength) != 0) {
        qv_proc_memo_release(memo);
        return -1;
    }
    char status[kStatusBufferSize];
    process_file(path, sizeof path, pid, "status");
    const long statusLength = qv_read_small_file(AT_FDCWD, path, status, sizeof status);
    char stat[kStatBufferSize];
    long statLength = -1;
    if (statusLength >= 0 && memo->start_time == 0) {
        process_file(path, sizeof path, pid, "stat");
        statLength = qv_read_small_file(AT_FDCWD, path, stat, sizeof stat);
    }
    if (record_from_texts(pid, status, statusLength, stat, statLength, exe, exeLength, record) !=
        0) {
        qv_proc_memo_release(memo);
        return -1;
    }
    record->inode = entry->inode;
    if (memo->start_time != 0)
        record->start_time = memo->start_time;
    else
        memo->start_time = record->start_time;
    memo->run_time = runTime;
    memo->anon_pages = anonPages;
    memo->marked = marked && !firstLook;
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
