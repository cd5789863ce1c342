#pragma once

#include <QString>

namespace quorvel {

enum class LaunchMode { tray, storeEdition, headless, print, json, render };

struct CommandLine {
    LaunchMode mode = LaunchMode::tray;
    // Set when the run ends here: help, version or a usage error was printed.
    int exitCode = -1;
    // For `render`: the scene's name, the picture's file and its scale (1 or 2).
    QString renderScene;
    QString renderOutput;
    int renderScale = 1;
};

// Reads the options; --help and --version print on standard output and end
// the run with 0, an unknown option prints a short usage on standard error
// and ends it with 2.
CommandLine parseCommandLine(int argc, char **argv);

} // namespace quorvel
