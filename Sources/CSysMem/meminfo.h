#ifndef QV_MEMINFO_H
#define QV_MEMINFO_H

/* Parsers behind the memory shim, kept apart from the file reading so they
 * can be fed any text. */

#include <stddef.h>
#include <stdint.h>

#include "sysmem.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The /proc/meminfo lines the shim uses, in bytes. A line that is absent
 * reads 0 and leaves its bit in `present` clear. */
typedef enum qv_meminfo_field {
    QV_MEM_TOTAL,
    QV_MEM_FREE,
    QV_MEM_AVAILABLE,
    QV_MEM_ACTIVE,
    QV_MEM_INACTIVE,
    QV_MEM_UNEVICTABLE,
    QV_MEM_SUNRECLAIM,
    QV_MEM_KERNEL_STACK,
    QV_MEM_PAGE_TABLES,
    QV_MEM_ZSWAP,
    QV_MEM_SRECLAIMABLE,
    QV_MEM_BUFFERS,
    QV_MEM_CACHED,
    QV_MEM_SHMEM,
    QV_MEM_SWAP_TOTAL,
    QV_MEM_SWAP_FREE,
    QV_MEM_FIELD_COUNT
} qv_meminfo_field;

typedef struct qv_meminfo {
    uint64_t bytes[QV_MEM_FIELD_COUNT];
    uint32_t present; /* bit (1u << field) set for every line found */
} qv_meminfo;

/* 0 on success; -1 when a known line cannot be parsed (no number, junk after
 * it, a unit other than kB, or a value that does not fit in 64-bit bytes). */
int qv_parse_meminfo(const char *text, size_t length, qv_meminfo *out);

/* Builds the shim's record; -1 when MemTotal is absent. */
int qv_vm_record_from_meminfo(const qv_meminfo *info, uint64_t pageSize, uint64_t zramBytes,
                              qv_vm_record *record);

/* avg10 figures of /proc/pressure/memory in hundredths of a percent; a line
 * that is absent or malformed leaves its flag at 0. */
typedef struct qv_psi {
    int hasSome;
    int hasFull;
    uint32_t someAvg10Centi;
    uint32_t fullAvg10Centi;
} qv_psi;

void qv_parse_psi(const char *text, size_t length, qv_psi *out);

/* mem_used_total (third field) of a zram mm_stat; -1 when malformed. */
int qv_parse_zram_mm_stat(const char *text, size_t length, uint64_t *bytes);

/* 1, 2 or 4 from whatever of the two sources is given (either may be null or
 * lack the lines it needs); -1 when neither can decide. */
int32_t qv_classify_pressure(const qv_psi *psi, const qv_meminfo *info);

#ifdef __cplusplus
}
#endif

#endif
