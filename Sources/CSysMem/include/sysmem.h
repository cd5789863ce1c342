#ifndef QV_SYSMEM_H
#define QV_SYSMEM_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/*
 * One reading of the machine's memory. Page counts are in pages of pageSize
 * bytes; the Linux backend derives them from /proc/meminfo (kB), rounding down:
 *
 *   pageSize          sysconf(_SC_PAGESIZE)
 *   totalBytes        MemTotal
 *   freePages         MemFree
 *   activePages       Active
 *   inactivePages     Inactive
 *   speculativePages  always 0 (Linux has no such state)
 *   wiredPages        Unevictable + SUnreclaim + KernelStack + PageTables
 *   compressedPages   Zswap + mem_used_total of every /sys/block/zram* (the
 *                     compressed store's own size, not what it holds)
 *   purgeablePages    SReclaimable
 *   externalPages     Buffers + Cached - Shmem, never below 0
 *   swapTotal         SwapTotal, in bytes
 *   swapUsed          SwapTotal - SwapFree, in bytes
 */
typedef struct qv_vm_record {
    uint64_t pageSize;
    uint64_t totalBytes;
    uint64_t freePages;
    uint64_t activePages;
    uint64_t inactivePages;
    uint64_t speculativePages;
    uint64_t wiredPages;
    uint64_t compressedPages;
    uint64_t purgeablePages;
    uint64_t externalPages;
    uint64_t swapTotal;
    uint64_t swapUsed;
} qv_vm_record;

/* Fills *record; 0 on success, -1 when /proc/meminfo is missing, has no
 * MemTotal or holds a known line that cannot be parsed, or record is null. */
int32_t qv_vm_stats(qv_vm_record *record);

/* The kernel-style pressure level: 1 normal, 2 warning, 4 critical, from PSI
 * (/proc/pressure/memory) and MemAvailable; -1 when neither can be read. */
int32_t qv_pressure_level(void);

#ifdef __cplusplus
}
#endif

#endif
