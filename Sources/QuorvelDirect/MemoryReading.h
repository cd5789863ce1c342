#pragma once

#include <QDateTime>

#include <vector>

#include "Model/AppGroup.h"
#include "Model/PressureModels.h"

namespace quorvel {

// One pressure snapshot and one sample, taken at once for the terminal.
struct MemoryReading {
    QDateTime takenAt;
    PressureSnapshot pressure;
    std::vector<AppGroup> groups;

    static MemoryReading takeNow();
};

} // namespace quorvel
