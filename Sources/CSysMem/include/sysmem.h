#ifndef QV_SYSMEM_H
#define QV_SYSMEM_H
#include <stdint.h>
#ifdef __cplusplus
extern "C" {
#endif
/* Total physical memory in bytes from /proc/meminfo (MemTotal); 0 on success, -1 on failure. */
int32_t qv_total_bytes(uint64_t *out);
#ifdef __cplusplus
}
#endif
#endif
