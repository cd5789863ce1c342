#pragma once

#include <string_view>
#include <vector>

namespace quorvel::testing {

// Every key the program looks up, with the kinds of its format arguments in
// order: '@' a text, 'd' an integer. Plural keys take the count first (not
// listed in `arguments`) and are stored as key + "." + category.
struct VocabularyKey {
    std::string_view key;
    std::string_view arguments;
    bool plural = false;
};

inline const std::vector<VocabularyKey> &keyVocabulary() {
    static const std::vector<VocabularyKey> keys{
        {"pressure.text.normal", ""},
        {"pressure.text.warning", ""},
        {"pressure.text.critical", ""},
        {"pressure.word.normal", ""},
        {"pressure.word.warning", ""},
        {"pressure.word.critical", ""},

        {"header.title", ""},
        {"header.stat.physical", ""},
        {"header.stat.compressed", ""},
        {"header.stat.swap", ""},
        {"header.accessibility.menuBarIcon", ""},

        {"pro.list.heading", ""},
        {"pro.list.columns", ""},
        {"pro.list.sampling", ""},
        // Shown under a one-process row with the peak as a byte text.
        {"pro.list.peak", "@"},
        {"pro.list.procsPeak", "@", true},
        {"pro.badge.frozen", ""},
        {"pro.badge.hog", ""},
        {"pro.action.suspend", ""},
        {"pro.action.resume", ""},
        {"pro.action.restart", ""},
        {"pro.action.cancel", ""},
        {"pro.confirm.suspend.title", "@"},
        {"pro.confirm.restart.title", "@"},
        {"pro.confirm.suspend.body", "@", true},
        {"pro.confirm.restart.body", "@"},
        {"pro.confirm.suspend.button", ""},
        {"pro.confirm.restart.button", ""},
        {"pro.settings.refreshInterval", ""},
        {"pro.settings.rules", ""},
        {"pro.settings.rules.armed", ""},
        {"pro.settings.quit", ""},

        {"pro.focus.enter", ""},
        {"pro.focus.exit", ""},
        {"pro.focus.exitShort", ""},
        {"pro.focus.on", ""},
        {"pro.focus.frozenSummary", "@", true},
        {"pro.focus.measured", "@@"},
        {"pro.focus.picker.title", ""},
        {"pro.focus.picker.note", ""},
        {"pro.focus.picker.confirm", "d@"},
        {"pro.history.title", ""},
        {"pro.history.close", ""},
        {"pro.history.empty", ""},
        {"pro.history.help", ""},
        {"pro.history.row", "@@"},

        {"pro.rules.title", ""},
        {"pro.rules.done", ""},
        {"pro.rules.empty", ""},
        {"pro.rules.add", ""},
        {"pro.rules.on", ""},
        {"pro.rules.off", ""},
        {"pro.rules.sampling", ""},
        {"pro.rules.automatic.title", ""},
        {"pro.rules.automatic.note", ""},
        {"pro.rules.clause.when", ""},
        {"pro.rules.clause.usesMoreThan", ""},
        {"pro.rules.clause.for", ""},
        {"pro.rules.clause.then", ""},
        {"pro.rules.action.notify", ""},
        {"pro.rules.action.suspend", ""},
        {"pro.rules.action.restart", ""},
        {"pro.rules.status.off", ""},
        {"pro.rules.status.masterOff", ""},
        {"pro.rules.status.armedAction", ""},
        {"pro.rules.status.armedNotify", ""},
        {"pro.rules.minutes", "", true},

        {"governance.action.suspend", ""},
        {"governance.action.resume", ""},
        {"governance.action.restart", ""},
        {"governance.action.focusEnter", ""},
        {"governance.action.focusExit", ""},
        {"governance.action.notify", ""},
        {"governance.detail.froze", "@", true},
        {"governance.detail.resumed", "", true},
        {"governance.detail.reopened", "@"},
        {"governance.detail.reopenFailed", "@"},
        {"governance.detail.missingBundleInfo", ""},
        {"governance.detail.noRunningInstance", ""},
        {"governance.detail.blocked", "@"},
        {"governance.detail.automatic", "@"},
        {"governance.detail.focusFroze", "@", true},
        {"governance.detail.focusResumed", "", true},
        {"governance.block.notAnApp", ""},
        {"governance.block.foreground", ""},
        {"governance.block.protected", ""},
        {"governance.notify.suspended.title", "@"},
        {"governance.notify.body.suspended", "@"},
        {"governance.notify.restarted.title", "@"},
        {"governance.notify.body.restarted", "@"},
        {"governance.notify.overLimit.title", "@"},
        {"governance.notify.body.at", "@@"},
        {"governance.notify.body.atOverLimit", "@@@@"},

        {"mas.status.title.normal", ""},
        {"mas.status.title.warning", ""},
        {"mas.status.title.critical", ""},
        {"mas.status.subtitle.normal", ""},
        {"mas.status.subtitle.warning", ""},
        {"mas.status.subtitle.critical", ""},
        {"mas.gauge.inUse", "@"},
        {"mas.gauge.of", "@"},
        {"mas.gauge.freeForApps", "@"},
        {"mas.signals.heading", ""},
        {"mas.signal.swap.idle", ""},
        {"mas.signal.compression.idle", ""},
        {"mas.signal.swap.active", "@"},
        {"mas.signal.compression.active", "@"},
        {"mas.tech.disclosure", ""},
        {"mas.tech.swapUsed", "@"},
        {"mas.tech.legend.active", ""},
        {"mas.tech.legend.wired", ""},
        {"mas.tech.legend.compressed", ""},
        {"mas.tech.legend.cached", ""},
        {"mas.tech.legend.free", ""},
        {"mas.running.count", "", true},
        {"mas.running.sandboxNote", ""},
        {"mas.running.learnMore", ""},
        {"mas.footer.rate", ""},
        {"mas.footer.rate.help", ""},
        {"mas.footer.quit", ""},
    };
    return keys;
}

} // namespace quorvel::testing
