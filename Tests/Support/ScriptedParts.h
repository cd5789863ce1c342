#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "App/ProModel.h"
#include "Apps/InMemoryApplicationResolver.h"
#include "Defaults/InMemoryDefaultsStore.h"
#include "Notifications/RecordingNotifier.h"
#include "Workspace/InMemoryWorkspace.h"

namespace quorvel::test {

inline std::vector<RawProcess> noProcesses() {
    return {};
}

// Parts for a model that touches nothing real: the pressure readings given,
// a sampler that lists what `listProcesses` returns (nothing by default) and
// a governor on `workspace`, an in-memory desktop.
inline ProModel::Dependencies
scriptedParts(PressureMonitor::Dependencies pressure,
              std::function<std::vector<RawProcess>()> listProcesses = noProcesses,
              std::shared_ptr<platform::Workspace> workspace =
                  std::make_shared<platform::InMemoryWorkspace>()) {
    return {{std::move(workspace), [] { return std::optional<VMSnapshot>(); },
             &ProcessGovernor::Clock::now},
            {std::move(listProcesses), std::make_shared<platform::InMemoryApplicationResolver>()},
            std::move(pressure),
            std::make_shared<platform::InMemoryDefaultsStore>(),
            std::make_shared<platform::RecordingNotifier>()};
}

} // namespace quorvel::test
