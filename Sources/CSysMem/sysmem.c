#include "sysmem.h"
#include <stdio.h>

int32_t qv_total_bytes(uint64_t *out) {
    if (!out) return -1;
    FILE *f = fopen("/proc/meminfo", "r");
    if (!f) return -1;
    char line[256];
    int32_t rc = -1;
    while (fgets(line, sizeof line, f)) {
        unsigned long long kb = 0;
        if (sscanf(line, "MemTotal: %llu kB", &kb) == 1) {
            *out = (uint64_t)kb * 1024u;
            rc = 0;
            break;
        }
    }
    fclose(f);
    return rc;
}
