#include "Model/RawProcess.h"

namespace quorvel {

platform::ProcessIdentity RawProcess::identity() const {
    return {pid, startTime};
}

} // namespace quorvel
