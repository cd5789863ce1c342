#pragma once

namespace quorvel {

// The application entry: builds the live model and, where a display exists,
// the tray icon with its panel; runs until asked to quit. `--headless` runs
// the model alone.
int runQuorvel(int argc, char **argv);

} // namespace quorvel
