#include "QuorvelDirectApp.h"

int main(int argc, char **argv) {
    return quorvel::runQuorvelWithPanel(argc, argv);
}
