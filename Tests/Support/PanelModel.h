#pragma once

#include <QSignalSpy>

#include <memory>

#include "App/ProModel.h"
#include "Support/FixedPressure.h"
#include "Support/PanelFixtures.h"
#include "Support/ScriptedParts.h"

namespace quorvel::test {

// A reading of 16 GiB with some of it compressed and swapped.
inline VMSnapshot panelReading() {
    VMSnapshot vm;
    vm.pageSize = 4096;
    vm.totalBytes = 16ull << 30;
    vm.activePages = 2'400'000;
    vm.wiredPages = 500'000;
    vm.freePages = 900'000;
    vm.compressedPages = 250'000;
    vm.swapUsed = 1ull << 30;
    return vm;
}

// A model on scripted parts whose groups the test hands over itself: its
// own sampler has delivered once and waits a very long time for the next.
struct PanelModel {
    std::shared_ptr<platform::InMemoryWorkspace> workspace =
        std::make_shared<platform::InMemoryWorkspace>();
    std::unique_ptr<ProModel> model;

    explicit PanelModel(ProModel::Dependencies dependencies = {}) {
        if (!dependencies.governor.workspace)
            dependencies = scriptedParts(fixedReading(panelReading()), noProcesses, workspace);
        model = std::make_unique<ProModel>(std::move(dependencies));
        QSignalSpy delivered(model.get(), &ProModel::groupsChanged);
        model->setInterval(1e6);
        // The first sample at start and the one the new interval takes at
        // once; both reach the main thread through its event loop.
        waitFor([&] { return delivered.count() >= 2; });
    }

    void sample(const std::vector<AppGroup> &groups) { model->receiveGroups(groups); }
};

} // namespace quorvel::test
