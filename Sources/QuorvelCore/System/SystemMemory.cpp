#include "System/SystemMemory.h"

#include "sysmem.h"

namespace quorvel::SystemMemory {

std::optional<VMSnapshot> vmSnapshot() {
    qv_vm_record record{};
    if (qv_vm_stats(&record) != 0) return std::nullopt;
    return VMSnapshot{record.pageSize,      record.totalBytes,      record.freePages,
                      record.activePages,   record.inactivePages,   record.speculativePages,
                      record.wiredPages,    record.compressedPages, record.purgeablePages,
                      record.externalPages, record.swapTotal,       record.swapUsed};
}

int pressureLevelSysctl() {
    return static_cast<int>(qv_pressure_level());
}

} // namespace quorvel::SystemMemory
