#pragma once

namespace quorvel {

// The application entry: builds the live model and runs until asked to quit.
int runQuorvel(int argc, char **argv);

} // namespace quorvel
