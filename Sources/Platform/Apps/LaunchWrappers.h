#pragma once

#include <string_view>

namespace quorvel::platform {

// What a program of this file name is, as far as telling applications apart
// goes. Version tails count as the same program: "python3.11" is "python".
enum class ProgramKind {
    application,
    launcher,    // only starts another program: env, nice, flatpak, bwrap, ...
    shell,       // sh, bash, zsh, ...
    interpreter, // runs a script: python, perl, node, java, ...
};

ProgramKind programKind(std::string_view programName);

// Whether finding this program running says nothing by itself about which
// application runs: a launcher, a shell or an interpreter.
inline bool isLaunchWrapper(std::string_view programName) {
    return programKind(programName) != ProgramKind::application;
}

// Whether the program runs scripts, so that the script tells the application.
inline bool runsScripts(std::string_view programName) {
    const ProgramKind kind = programKind(programName);
    return kind == ProgramKind::shell || kind == ProgramKind::interpreter;
}

} // namespace quorvel::platform
