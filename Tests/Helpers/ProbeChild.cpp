// A process for the probe tests to look at. It optionally takes on private
// memory or another user's id, says "ready" on stdout, and lives until its
// stdin closes. With "threaded" a second thread does the reading while the
// first only waits: each "g" it reads makes it touch 8 MiB more and say
// "grown", so the memory moves while the first thread never runs.
//
//   ProbeChild [touch <MiB>] [as-nobody] [threaded]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

void readUntilClosed() {
    std::vector<std::vector<char>> grown;
    char buffer[64];
    ssize_t n = 0;
    while ((n = read(STDIN_FILENO, buffer, sizeof buffer)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] != 'g') continue;
            grown.emplace_back(std::size_t{8} << 20, 1);
            std::fputs("grown\n", stdout);
            std::fflush(stdout);
        }
    }
}

} // namespace

int main(int argc, char **argv) {
    std::vector<char> memory;
    bool threaded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "touch" && i + 1 < argc) {
            const std::size_t bytes = std::strtoull(argv[++i], nullptr, 10) << 20;
            // Every page written, so all of it is resident or swapped.
            memory.assign(bytes, 1);
        } else if (argument == "as-nobody") {
            const uid_t nobody = 65534;
            if (setgid(nobody) != 0 || setuid(nobody) != 0) return 2;
        } else if (argument == "threaded") {
            threaded = true;
        } else {
            return 1;
        }
    }
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    if (threaded) {
        std::thread reader(readUntilClosed);
        reader.join();
    } else {
        readUntilClosed();
    }
    return memory.empty() ? 0 : memory[memory.size() / 2] - 1;
}
