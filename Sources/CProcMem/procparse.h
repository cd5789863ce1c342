#ifndef QV_PROCPARSE_H
#define QV_PROCPARSE_H

/* Parsers behind the process shim, kept apart from the file reading so they
 * can be fed any text. No text needs a terminating NUL. */

#include <stddef.h>
#include <stdint.h>

#include "procmem.h"

#ifdef __cplusplus
extern "C" {
#endif

/* What the shim takes from /proc/<pid>/status. */
typedef struct qv_proc_status {
    char name[256]; /* "Name:" with the kernel's \n and \\ escapes undone */
    int32_t ppid;
    uint32_t uid; /* the effective id, second of "Uid:" */
    int32_t status;
    uint64_t footprint; /* RssAnon + VmSwap; 0 when either is malformed */
} qv_proc_status;

/* 0 when Name, State, PPid and Uid are all present and well formed, else -1.
 * RssAnon and VmSwap may be missing (kernel threads, zombies). */
int qv_parse_proc_status(const char *text, size_t length, qv_proc_status *out);

/* The run state for a "State:" letter of status. */
int32_t qv_status_from_state(char letter);

/* Field 22 (start time) of /proc/<pid>/stat; -1 when malformed. Fields are
 * counted after the last ')', as the command name may hold ')' and blanks. */
int qv_parse_proc_start_time(const char *text, size_t length, uint64_t *startTime);

/* The first field of /proc/<pid>/schedstat, nanoseconds on a CPU; -1 when
 * malformed. */
int qv_parse_schedstat_run_time(const char *text, size_t length, uint64_t *runTime);

/* Resident less shared pages of /proc/<pid>/statm: the resident anonymous
 * pages, RssAnon of status. -1 when malformed. */
int qv_parse_statm_anon_pages(const char *text, size_t length, uint64_t *pages);

/* Builds the record from the texts of status, stat and the exe link; stat and
 * exe may be null when unreadable. -1 (record untouched) when status does
 * not parse. */
int qv_proc_record_from_texts(int32_t pid, const char *status, size_t statusLength,
                              const char *stat, size_t statLength, const char *exe,
                              size_t exeLength, qv_proc_record *record);

/* The pid a /proc entry name stands for, or -1 when the name is not a
 * positive decimal number that fits in 32 bits. */
int32_t qv_pid_from_entry_name(const char *name);

#ifdef __cplusplus
}
#endif

#endif
