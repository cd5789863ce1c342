#include "procparse.h"

#include <string.h>

static const char kDeletedSuffix[] = " (deleted)";

/* Programs that run scripts: their file name says nothing about which
 * program runs, the kernel's command name (a #! script's own name, or what
 * the program set) does. */
static const char *const kInterpreters[] = {"python", "perl", "ruby", "node",  "nodejs", "java",
                                            "gjs",    "lua",  "php",  "tclsh", "wish",   "sh",
                                            "bash",   "dash", "zsh",  "ksh",   "mksh",   "fish"};

/* Whether name is an interpreter's, a version tail ("python3.11") aside. */
static int is_interpreter(const char *name, size_t length) {
    while (length > 0 &&
           ((name[length - 1] >= '0' && name[length - 1] <= '9') || name[length - 1] == '.'))
        --length;
    for (size_t i = 0; i < sizeof kInterpreters / sizeof kInterpreters[0]; ++i) {
        if (strlen(kInterpreters[i]) == length && memcmp(kInterpreters[i], name, length) == 0)
            return 1;
    }
    return 0;
}

/* A read position within one line. */
typedef struct cursor {
    const char *at;
    const char *end;
} cursor;

static void skip_blanks(cursor *c) {
    while (c->at < c->end && (*c->at == ' ' || *c->at == '\t')) ++c->at;
}

/* Decimal digits into *value; -1 when there are none or they exceed limit. */
static int take_number(cursor *c, uint64_t limit, uint64_t *value) {
    uint64_t v = 0;
    const char *start = c->at;
    for (; c->at < c->end && *c->at >= '0' && *c->at <= '9'; ++c->at) {
        uint64_t digit = (uint64_t)(*c->at - '0');
        if (v > (limit - digit) / 10) return -1;
        v = v * 10 + digit;
    }
    if (c->at == start) return -1;
    *value = v;
    return 0;
}

/* The line must end here, blanks aside. */
static int at_line_end(cursor *c) {
    skip_blanks(c);
    return c->at == c->end;
}

static int take_int32(cursor *c, int32_t *value) {
    uint64_t v = 0;
    skip_blanks(c);
    if (take_number(c, INT32_MAX, &v) != 0 || !at_line_end(c)) return -1;
    *value = (int32_t)v;
    return 0;
}

/* "Uid:" lists real, effective, saved and filesystem ids. */
static int take_effective_uid(cursor *c, uint32_t *uid) {
    uint64_t real = 0;
    uint64_t effective = 0;
    skip_blanks(c);
    if (take_number(c, UINT32_MAX, &real) != 0) return -1;
    skip_blanks(c);
    if (take_number(c, UINT32_MAX, &effective) != 0) return -1;
    *uid = (uint32_t)effective;
    return 0;
}

/* "   1234 kB" in bytes. */
static int take_kib(cursor *c, uint64_t *bytes) {
    uint64_t kib = 0;
    skip_blanks(c);
    if (take_number(c, UINT64_MAX / 1024, &kib) != 0) return -1;
    skip_blanks(c);
    if (c->end - c->at < 2 || memcmp(c->at, "kB", 2) != 0) return -1;
    c->at += 2;
    if (!at_line_end(c)) return -1;
    *bytes = kib * 1024;
    return 0;
}

/* The kernel writes a newline in the name as \n and a backslash as \\. */
static void take_name(cursor *c, char *name, size_t size) {
    size_t length = 0;
    if (c->at < c->end && *c->at == '\t') ++c->at;
    for (const char *p = c->at; p < c->end && length + 1 < size; ++p) {
        char byte = *p;
        if (byte == '\\' && p + 1 < c->end && (p[1] == 'n' || p[1] == '\\')) {
            ++p;
            byte = *p == 'n' ? '\n' : '\\';
        }
        name[length++] = byte;
    }
    name[length] = '\0';
}

int32_t qv_status_from_state(char letter) {
    switch (letter) {
    case 'R': return QV_PROC_STATUS_RUNNING;
    case 'S':
    case 'D':
    case 'I': return QV_PROC_STATUS_SLEEPING;
    case 'T':
    case 't': return QV_PROC_STATUS_STOPPED;
    case 'Z':
    case 'X': return QV_PROC_STATUS_ZOMBIE;
    default: return QV_PROC_STATUS_UNKNOWN;
    }
}

enum {
    kSeenName = 1 << 0,
    kSeenState = 1 << 1,
    kSeenPpid = 1 << 2,
    kSeenUid = 1 << 3,
    kSeenRequired = kSeenName | kSeenState | kSeenPpid | kSeenUid
};

/* Whether the line starts with key (which includes its colon); if so the
 * cursor is moved past it. */
static int take_key(cursor *c, const char *key) {
    size_t length = strlen(key);
    if ((size_t)(c->end - c->at) < length || memcmp(c->at, key, length) != 0) return 0;
    c->at += length;
    return 1;
}

int qv_parse_proc_status(const char *text, size_t length, qv_proc_status *out) {
    if (!out) return -1;
    memset(out, 0, sizeof *out);
    if (!text) return -1;
    unsigned seen = 0;
    int footprintValid = 1;
    uint64_t rssAnon = 0;
    uint64_t swap = 0;
    const char *end = text + length;
    for (const char *line = text; line < end;) {
        const char *eol = memchr(line, '\n', (size_t)(end - line));
        if (!eol) eol = end;
        cursor c = {line, eol};
        if (take_key(&c, "Name:")) {
            take_name(&c, out->name, sizeof out->name);
            seen |= kSeenName;
        } else if (take_key(&c, "State:")) {
            skip_blanks(&c);
            if (c.at == c.end) return -1;
            out->status = qv_status_from_state(*c.at);
            seen |= kSeenState;
        } else if (take_key(&c, "PPid:")) {
            if (take_int32(&c, &out->ppid) != 0) return -1;
            seen |= kSeenPpid;
        } else if (take_key(&c, "Uid:")) {
            if (take_effective_uid(&c, &out->uid) != 0) return -1;
            seen |= kSeenUid;
        } else if (take_key(&c, "RssAnon:")) {
            footprintValid = footprintValid && take_kib(&c, &rssAnon) == 0;
        } else if (take_key(&c, "VmSwap:")) {
            footprintValid = footprintValid && take_kib(&c, &swap) == 0;
        }
        line = eol + 1;
    }
    if ((seen & kSeenRequired) != kSeenRequired) return -1;
    if (footprintValid) out->footprint = rssAnon > UINT64_MAX - swap ? UINT64_MAX : rssAnon + swap;
    return 0;
}

int qv_parse_proc_start_time(const char *text, size_t length, uint64_t *startTime) {
    if (!text || !startTime) return -1;
    const char *close = NULL;
    for (const char *p = text; p < text + length; ++p) {
        if (*p == ')') close = p;
    }
    if (!close) return -1;
    /* After the name come field 3 (state) onwards; the start time is the
     * twentieth of them. */
    cursor c = {close + 1, text + length};
    for (int field = 3; field < 22; ++field) {
        skip_blanks(&c);
        if (c.at == c.end) return -1;
        while (c.at < c.end && *c.at != ' ') ++c.at;
    }
    skip_blanks(&c);
    uint64_t value = 0;
    if (take_number(&c, UINT64_MAX, &value) != 0) return -1;
    if (c.at < c.end && *c.at != ' ' && *c.at != '\n') return -1;
    *startTime = value;
    return 0;
}

int qv_parse_schedstat_run_time(const char *text, size_t length, uint64_t *runTime) {
    if (!text || !runTime) return -1;
    cursor c = {text, text + length};
    uint64_t value = 0;
    if (take_number(&c, UINT64_MAX, &value) != 0 || c.at == c.end || *c.at != ' ') return -1;
    *runTime = value;
    return 0;
}

int qv_parse_statm_anon_pages(const char *text, size_t length, uint64_t *pages) {
    if (!text || !pages) return -1;
    cursor c = {text, text + length};
    uint64_t fields[3];
    for (int i = 0; i < 3; ++i) {
        skip_blanks(&c);
        if (take_number(&c, UINT64_MAX, &fields[i]) != 0) return -1;
    }
    if (c.at == c.end || fields[2] > fields[1]) return -1;
    *pages = fields[1] - fields[2];
    return 0;
}

/* Copies at most size - 1 bytes and terminates. */
static void copy_cut(char *to, size_t size, const char *from, size_t length) {
    if (length > size - 1) length = size - 1;
    if (length > 0) memcpy(to, from, length);
    to[length] = '\0';
}

int qv_proc_record_from_texts(int32_t pid, const char *status, size_t statusLength,
                              const char *stat, size_t statLength, const char *exe,
                              size_t exeLength, qv_proc_record *record) {
    qv_proc_status parsed;
    if (!record || qv_parse_proc_status(status, statusLength, &parsed) != 0) return -1;
    memset(record, 0, sizeof *record);
    record->pid = pid;
    record->ppid = parsed.ppid;
    record->uid = parsed.uid;
    record->status = parsed.status;
    record->footprint = parsed.footprint;
    /* A malformed stat leaves the start time at 0, unknown. */
    if (stat) qv_parse_proc_start_time(stat, statLength, &record->start_time);

    const size_t suffixLength = sizeof kDeletedSuffix - 1;
    if (!exe) exeLength = 0;
    if (exeLength >= suffixLength &&
        memcmp(exe + exeLength - suffixLength, kDeletedSuffix, suffixLength) == 0)
        exeLength -= suffixLength;
    copy_cut(record->path, sizeof record->path, exe, exeLength);

    /* The executable's file name is the long name; the kernel's 15-byte
     * command name stands in where there is no path, or an interpreter's. */
    size_t base = exeLength;
    while (base > 0 && exe[base - 1] != '/') --base;
    if (base < exeLength && !(is_interpreter(exe + base, exeLength - base) && parsed.name[0]))
        copy_cut(record->name, sizeof record->name, exe + base, exeLength - base);
    else
        copy_cut(record->name, sizeof record->name, parsed.name, strlen(parsed.name));
    return 0;
}

int32_t qv_pid_from_entry_name(const char *name) {
    if (!name) return -1;
    cursor c = {name, name + strlen(name)};
    uint64_t value = 0;
    if (take_number(&c, INT32_MAX, &value) != 0 || c.at != c.end || value == 0) return -1;
    return (int32_t)value;
}
