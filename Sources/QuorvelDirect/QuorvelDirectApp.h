#pragma once

namespace quorvel {

// The program's entry: the one-shot readouts and `--headless` run here, on
// Qt Core alone; the tray icon with its panel, the store edition and the
// scene renderer are the drawing program's, which this becomes (same pid,
// same arguments).
int runQuorvel(int argc, char **argv);

// The drawing program's entry: the tray icon with its panel where a display
// exists, and every other mode as well; runs until asked to quit.
int runQuorvelWithPanel(int argc, char **argv);

} // namespace quorvel
