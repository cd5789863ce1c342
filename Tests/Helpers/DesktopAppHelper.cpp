#include <unistd.h>

// Stands in for a desktop application in tests: it runs until its standard
// input closes, wherever it is copied or linked to.
int main() {
    char byte;
    while (::read(STDIN_FILENO, &byte, 1) > 0) {
    }
    return 0;
}
