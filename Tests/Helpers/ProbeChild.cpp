// A process for the probe tests to look at. It optionally takes on private
// memory or another user's id, says "ready" on stdout, and lives until its
// stdin closes.
//
//   ProbeChild [touch <MiB>] [as-nobody]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char **argv) {
    std::vector<char> memory;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "touch" && i + 1 < argc) {
            const std::size_t bytes = std::strtoull(argv[++i], nullptr, 10) << 20;
            // Every page written, so all of it is resident or swapped.
            memory.assign(bytes, 1);
        } else if (argument == "as-nobody") {
            const uid_t nobody = 65534;
            if (setgid(nobody) != 0 || setuid(nobody) != 0) return 2;
        } else {
            return 1;
        }
    }
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    char buffer[64];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    return memory.empty() ? 0 : memory[memory.size() / 2] - 1;
}
