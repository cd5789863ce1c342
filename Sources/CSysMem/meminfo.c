#include "meminfo.h"

#include <string.h>

/* Pressure thresholds: the one place they are set. */
static const uint32_t kFullAvg10CriticalCenti = 1000; /* full avg10 >= 10 % */
static const uint32_t kSomeAvg10WarningCenti = 1000;  /* some avg10 >= 10 % */
static const uint64_t kAvailableCriticalPercent = 5;  /* MemAvailable < 5 % */
static const uint64_t kAvailableWarningPercent = 15;  /* MemAvailable < 15 % */

static const char *const kFieldNames[QV_MEM_FIELD_COUNT] = {
    [QV_MEM_TOTAL] = "MemTotal",
    [QV_MEM_FREE] = "MemFree",
    [QV_MEM_AVAILABLE] = "MemAvailable",
    [QV_MEM_ACTIVE] = "Active",
    [QV_MEM_INACTIVE] = "Inactive",
    [QV_MEM_UNEVICTABLE] = "Unevictable",
    [QV_MEM_SUNRECLAIM] = "SUnreclaim",
    [QV_MEM_KERNEL_STACK] = "KernelStack",
    [QV_MEM_PAGE_TABLES] = "PageTables",
    [QV_MEM_ZSWAP] = "Zswap",
    [QV_MEM_SRECLAIMABLE] = "SReclaimable",
    [QV_MEM_BUFFERS] = "Buffers",
    [QV_MEM_CACHED] = "Cached",
    [QV_MEM_SHMEM] = "Shmem",
    [QV_MEM_SWAP_TOTAL] = "SwapTotal",
    [QV_MEM_SWAP_FREE] = "SwapFree",
};

static int is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}
static int is_digit(char c) {
    return c >= '0' && c <= '9';
}

static uint64_t saturating_add(uint64_t a, uint64_t b) {
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

/* Reads decimal digits at *p into *value; -1 when there are none or they
 * overflow 64 bits. */
static int parse_u64(const char **p, const char *end, uint64_t *value) {
    const char *s = *p;
    uint64_t v = 0;
    if (s == end || !is_digit(*s)) return -1;
    for (; s < end && is_digit(*s); ++s) {
        uint64_t digit = (uint64_t)(*s - '0');
        if (v > (UINT64_MAX - digit) / 10) return -1;
        v = v * 10 + digit;
    }
    *p = s;
    *value = v;
    return 0;
}

static int field_of(const char *name, size_t length) {
    for (int i = 0; i < QV_MEM_FIELD_COUNT; ++i) {
        if (strlen(kFieldNames[i]) == length && memcmp(kFieldNames[i], name, length) == 0) return i;
    }
    return -1;
}

/* "   12345 kB" (the unit is optional only for the count-only lines, none of
 * which we read, so kB is required). */
static int parse_kb_value(const char *p, const char *end, uint64_t *bytes) {
    uint64_t kb = 0;
    while (p < end && is_blank(*p)) ++p;
    if (parse_u64(&p, end, &kb) != 0) return -1;
    while (p < end && is_blank(*p)) ++p;
    if (end - p < 2 || p[0] != 'k' || p[1] != 'B') return -1;
    p += 2;
    while (p < end && is_blank(*p)) ++p;
    if (p != end) return -1;
    if (kb > UINT64_MAX / 1024) return -1;
    *bytes = kb * 1024;
    return 0;
}

int qv_parse_meminfo(const char *text, size_t length, qv_meminfo *out) {
    if (!out) return -1;
    memset(out, 0, sizeof *out);
    if (!text) return -1;
    const char *end = text + length;
    for (const char *line = text; line < end;) {
        const char *eol = memchr(line, '\n', (size_t)(end - line));
        if (!eol) eol = end;
        const char *colon = memchr(line, ':', (size_t)(eol - line));
        if (colon) {
            int field = field_of(line, (size_t)(colon - line));
            if (field >= 0) {
                if (parse_kb_value(colon + 1, eol, &out->bytes[field]) != 0) return -1;
                out->present |= 1u << field;
            }
        }
        line = eol + 1;
    }
    return 0;
}

int qv_vm_record_from_meminfo(const qv_meminfo *info, uint64_t pageSize, uint64_t zramBytes,
                              qv_vm_record *record) {
    if (!info || !record || pageSize == 0) return -1;
    if (!(info->present & (1u << QV_MEM_TOTAL))) return -1;
    const uint64_t *b = info->bytes;
    memset(record, 0, sizeof *record);
    record->pageSize = pageSize;
    record->totalBytes = b[QV_MEM_TOTAL];
    record->freePages = b[QV_MEM_FREE] / pageSize;
    record->activePages = b[QV_MEM_ACTIVE] / pageSize;
    record->inactivePages = b[QV_MEM_INACTIVE] / pageSize;
    record->speculativePages = 0;
    uint64_t wired = saturating_add(b[QV_MEM_UNEVICTABLE], b[QV_MEM_SUNRECLAIM]);
    wired = saturating_add(wired, b[QV_MEM_KERNEL_STACK]);
    wired = saturating_add(wired, b[QV_MEM_PAGE_TABLES]);
    record->wiredPages = wired / pageSize;
    record->compressedPages = saturating_add(b[QV_MEM_ZSWAP], zramBytes) / pageSize;
    record->purgeablePages = b[QV_MEM_SRECLAIMABLE] / pageSize;
    uint64_t fileBacked = saturating_add(b[QV_MEM_BUFFERS], b[QV_MEM_CACHED]);
    record->externalPages =
        (fileBacked > b[QV_MEM_SHMEM] ? fileBacked - b[QV_MEM_SHMEM] : 0) / pageSize;
    record->swapTotal = b[QV_MEM_SWAP_TOTAL];
    record->swapUsed =
        b[QV_MEM_SWAP_TOTAL] > b[QV_MEM_SWAP_FREE] ? b[QV_MEM_SWAP_TOTAL] - b[QV_MEM_SWAP_FREE] : 0;
    return 0;
}

/* "avg10=12.34" anywhere after the line's keyword, as hundredths. Parsed by
 * hand: strtod follows the process locale and would misread "0.50" under a
 * locale with a decimal comma. */
static int parse_avg10(const char *p, const char *end, uint32_t *centi) {
    static const char key[] = "avg10=";
    const size_t keyLength = sizeof key - 1;
    for (; p + keyLength <= end; ++p) {
        if (memcmp(p, key, keyLength) != 0) continue;
        p += keyLength;
        uint64_t whole = 0;
        if (parse_u64(&p, end, &whole) != 0 || whole > 100) return -1;
        uint32_t fraction = 0;
        if (p < end && *p == '.') {
            ++p;
            int digits = 0;
            for (; p < end && is_digit(*p); ++p, ++digits) {
                if (digits < 2) fraction = fraction * 10 + (uint32_t)(*p - '0');
            }
            if (digits == 0) return -1;
            if (digits == 1) fraction *= 10;
        }
        if (p < end && !is_blank(*p)) return -1;
        *centi = (uint32_t)whole * 100 + fraction;
        return 0;
    }
    return -1;
}

void qv_parse_psi(const char *text, size_t length, qv_psi *out) {
    if (!out) return;
    memset(out, 0, sizeof *out);
    if (!text) return;
    const char *end = text + length;
    for (const char *line = text; line < end;) {
        const char *eol = memchr(line, '\n', (size_t)(end - line));
        if (!eol) eol = end;
        size_t lineLength = (size_t)(eol - line);
        if (lineLength > 5 && memcmp(line, "some ", 5) == 0)
            out->hasSome = parse_avg10(line + 5, eol, &out->someAvg10Centi) == 0;
        else if (lineLength > 5 && memcmp(line, "full ", 5) == 0)
            out->hasFull = parse_avg10(line + 5, eol, &out->fullAvg10Centi) == 0;
        line = eol + 1;
    }
}

int qv_parse_zram_mm_stat(const char *text, size_t length, uint64_t *bytes) {
    if (!text || !bytes) return -1;
    const char *p = text;
    const char *end = text + length;
    uint64_t value = 0;
    for (int field = 0; field < 3; ++field) {
        while (p < end && (is_blank(*p) || *p == '\n')) ++p;
        if (parse_u64(&p, end, &value) != 0) return -1;
    }
    *bytes = value;
    return 0;
}

int32_t qv_classify_pressure(const qv_psi *psi, const qv_meminfo *info) {
    int hasPsi = psi && (psi->hasSome || psi->hasFull);
    const uint32_t availableBits = (1u << QV_MEM_TOTAL) | (1u << QV_MEM_AVAILABLE);
    int hasAvailable =
        info && (info->present & availableBits) == availableBits && info->bytes[QV_MEM_TOTAL] > 0;
    if (!hasPsi && !hasAvailable) return -1;

    int critical = 0;
    int warning = 0;
    if (hasPsi) {
        critical = psi->hasFull && psi->fullAvg10Centi >= kFullAvg10CriticalCenti;
        warning = psi->hasSome && psi->someAvg10Centi >= kSomeAvg10WarningCenti;
    }
    if (hasAvailable) {
        /* 128-bit products keep the comparison exact for any 64-bit figure. */
        const unsigned __int128 available = (unsigned __int128)info->bytes[QV_MEM_AVAILABLE] * 100;
        const unsigned __int128 total = info->bytes[QV_MEM_TOTAL];
        critical = critical || available < total * kAvailableCriticalPercent;
        warning = warning || available < total * kAvailableWarningPercent;
    }
    if (critical) return 4;
    if (warning) return 2;
    return 1;
}
