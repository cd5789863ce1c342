#pragma once

#include <QCoreApplication>
#include <QMenu>
#include <QTest>

#include <functional>
#include <string>
#include <vector>

#include "Governance/GovernorHarness.h"
#include "Model/AppGroup.h"
#include "UI/PanelBackground.h"
#include "UI/Theme.h"
#include "UI/Toolkit/DarkScheme.h"
#include "UI/Toolkit/Stacks.h"

namespace quorvel::test {

// `count` applications of falling footprint, as a sample hands them over.
inline std::vector<AppGroup> sampledGroups(int count, uint64_t largest = 6ull << 30) {
    static const char *const names[] = {"Firefox",     "Thunderbird", "GIMP",      "Inkscape",
                                        "LibreOffice", "Blender",     "Evolution", "Krita"};
    std::vector<AppGroup> groups;
    for (int i = 0; i < count; ++i) {
        const std::string name =
            std::string(names[i % 8]) + (i < 8 ? "" : " " + std::to_string(i / 8 + 1));
        AppGroup group = testing::application(name, "org.example.app" + std::to_string(i),
                                              {1000 + 10 * i, 1001 + 10 * i},
                                              largest - uint64_t(i) * (largest / 64));
        group.peak = group.current + (64ull << 20);
        groups.push_back(std::move(group));
    }
    return groups;
}

// A panel-wide frame on the panel's background around `content`, as the
// panel shows it.
inline PanelBackground *panelFrame(QWidget *content, int width = 400) {
    auto *frame = new PanelBackground;
    applyDarkScheme(frame, Theme::green());
    frame->setFixedWidth(width);
    vstack(0, frame)->addWidget(content);
    return frame;
}

// Runs the event loop until `done` holds or a generous deadline passes,
// resting between looks so the programs under test have the cores.
inline bool waitFor(const std::function<bool()> &done, int deadlineMs = 10000) {
    return QTest::qWaitFor(done, deadlineMs);
}

// The menu's entries and section titles, plain separators left out.
inline std::vector<QAction *> entries(const QMenu &menu) {
    std::vector<QAction *> found;
    for (QAction *action : menu.actions()) {
        if (!action->isSeparator() || !action->text().isEmpty()) found.push_back(action);
    }
    return found;
}

} // namespace quorvel::test
