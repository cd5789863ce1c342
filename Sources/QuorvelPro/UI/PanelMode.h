#pragma once

namespace quorvel {

// The screen a caller may ask the panel to open on.
enum class ProPanelScreen { normal, rules };

// What the panel shows below its header.
enum class PanelMode { normal, focusSelect, history, rules };

inline PanelMode panelMode(ProPanelScreen screen) {
    return screen == ProPanelScreen::rules ? PanelMode::rules : PanelMode::normal;
}

} // namespace quorvel
