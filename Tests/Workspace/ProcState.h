#pragma once

#include <sys/types.h>

#include <fstream>
#include <iterator>
#include <string>

// The run state letter of /proc/<pid>/stat (the field after the name), or
// '?' once the process has gone.
inline char processState(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(file)), {});
    const auto close = stat.rfind(')');
    return close == std::string::npos || close + 2 >= stat.size() ? '?' : stat[close + 2];
}

// Gone, or dead and waiting to be reaped.
inline bool processEnded(pid_t pid) {
    const char state = processState(pid);
    return state == '?' || state == 'Z' || state == 'X';
}

// The first child of `pid`, or 0 when it has none.
inline pid_t firstChildOf(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) +
                       "/children");
    pid_t child = 0;
    file >> child;
    return child;
}
