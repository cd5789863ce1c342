#ifndef QV_PROCMEM_H
#define QV_PROCMEM_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Run states as the rest of Quorvel reads them. */
enum {
    QV_PROC_STATUS_UNKNOWN = 0,
    QV_PROC_STATUS_RUNNING = 2,
    QV_PROC_STATUS_SLEEPING = 3,
    QV_PROC_STATUS_STOPPED = 4,
    QV_PROC_STATUS_ZOMBIE = 5
};

/*
 * One process. The Linux backend reads it from /proc/<pid>:
 *
 *   ppid, uid, status  "PPid:", the effective id of "Uid:" and the letter of
 *                      "State:" in status (R 2; S, D, I 3; T, t 4; Z, X 5;
 *                      any other 0)
 *   footprint          RssAnon + VmSwap of status, in bytes: the process's
 *                      private memory, resident or swapped out
 *   name               the last component of the executable path, else the
 *                      "Name:" of status; cut to 255 bytes. For an
 *                      interpreter or shell (python3.11, bash, ...) the
 *                      "Name:", which tells its programs apart
 *   path               the target of exe without a trailing " (deleted)",
 *                      cut to 1023 bytes; empty when it cannot be read
 *   start_time         field 22 of stat, clock ticks after boot; 0 when it
 *                      cannot be read. With the pid it tells a process apart
 *                      from a later one that got the same pid.
 *   inode              the inode of /proc/<pid>, 0 when unknown. The kernel
 *                      gives a process that takes over a pid a new one.
 */
typedef struct qv_proc_record {
    int32_t pid;
    int32_t ppid;
    uint32_t uid;
    int32_t status;
    uint64_t footprint;
    char name[256];
    char path[1024];
    uint64_t start_time;
    uint64_t inode;
} qv_proc_record;

/* Writes up to capacity process ids, in the order the kernel lists them, and
 * returns how many it wrote; -1 when buffer is null, capacity <= 0 or the
 * listing fails. */
int32_t qv_list_pids(int32_t *buffer, int32_t capacity);

/* Fills *record; 0 on success (also when the path or footprint could not be
 * read), -1 when record is null or the process is gone or cannot be
 * inspected, leaving *record untouched. */
int32_t qv_proc_info(int32_t pid, qv_proc_record *record);

/* A process as the listing of /proc shows it: the pid and the inode of its
 * directory, 0 when unknown. The kernel gives a process that takes over a pid
 * a new inode. */
typedef struct qv_pid_entry {
    int32_t pid;
    uint64_t inode;
} qv_pid_entry;

/* As qv_list_pids, with each directory's inode. */
int32_t qv_list_pid_entries(qv_pid_entry *buffer, int32_t capacity);

/* What a sampler keeps of one process from one listing to the next: the
 * inode of its directory, its start time (0 when unknown), its run-time and
 * statm files kept open (-1 when not) and what they said at the last full
 * read. A file kept open goes on reading the process it was opened for, and
 * fails once that has exited, even when its pid has been handed out again.
 * A memo that keeps nothing is QV_PROC_MEMO_EMPTY. */
typedef struct qv_proc_memo {
    uint64_t inode;
    uint64_t start_time;
    int schedstat_fd;
    int statm_fd;
    /* Nanoseconds on a CPU of the first thread, and resident pages less
     * shared ones (RssAnon); marked says whether both were read. */
    uint64_t run_time;
    uint64_t anon_pages;
    int marked;
} qv_proc_memo;

#define QV_PROC_MEMO_EMPTY ((qv_proc_memo){0, 0, -1, -1, 0, 0, 0})

/* What a sampler that lists every few seconds reads of a listed process. As
 * qv_proc_info, except that:
 *   - *memo is what the last listing kept of this pid, and is brought up to
 *     date. While the listing shows the inode the memo has, stat is not read
 *     again (a process's start time never changes); else the memo is released
 *     and begun afresh. The run-time and statm files are kept open when
 *     keep_open is not 0.
 *   - when reuse is not 0 and neither the first thread's run time nor the
 *     resident private memory moved since the memo's last full read, it
 *     returns 1 and leaves *record untouched: what that read gave still
 *     holds. Status, stat and exe all change only by the process's own doing
 *     (exec, exit, setuid, allocating, a stop or continue signal it acts on),
 *     except its parent, which the caller watches, and the split between
 *     resident and swapped memory, whose sum stays. Other threads than the
 *     first show in the statm pages only, which is why a process whose other
 *     threads free swapped-out memory is seen at the next full read.
 *   - a process with no memory of its own (a kernel thread, a zombie) gives
 *     -1 after one look at its exe link, as it has neither footprint nor
 *     path.
 * On -1 the record is untouched and the memo released.
 * Files not kept open are read by path, one after another. A pid is handed
 * out again only after the kernel has gone through all the others, so the
 * microseconds between the reads cannot mix two processes; and a start time
 * that were wrong would only make a later signal refuse. */
int32_t qv_proc_info_listed(const qv_pid_entry *entry, int keep_open, int reuse, qv_proc_memo *memo,
                            qv_proc_record *record);

/* Closes what the memo keeps open and empties it. */
void qv_proc_memo_release(qv_proc_memo *memo);

/* The footprint of qv_proc_info alone; 0 when it cannot be read. */
uint64_t qv_phys_footprint(int32_t pid);

#ifdef __cplusplus
}
#endif

#endif
