#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <vector>

// Stands in for a desktop application in tests: it runs until its standard
// input closes, wherever it is copied or linked to. It holds as much memory
// as a large application, so that the panel's ten largest include it even on
// a machine busy with builds and other tests.
int main() {
    constexpr std::size_t kFootprint = std::size_t{1536} << 20;
    std::vector<char> memory(kFootprint);
    std::memset(memory.data(), 1, memory.size());
    char byte;
    while (::read(STDIN_FILENO, &byte, 1) > 0) {
    }
    return memory[0] == 1 ? 0 : 1;
}
