#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "Apps/ApplicationResolver.h"
#include "Model/RawProcess.h"
#include "Workspace/LinuxWorkspace.h"
#include "Workspace/ListedProcess.h"

namespace quorvel::WorkspaceProcesses {

// The processes the workspace looks at, read and spelt exactly as the
// sampler reads and spells them, so a sampled process compares equal to the
// same process looked at again.
platform::ListedProcess listed(const RawProcess &process);

// The current user's processes.
std::vector<platform::ListedProcess> currentUsersProcesses();

// The process now under `pid`, whoever runs it; nothing when it is gone, a
// zombie or a kernel thread.
std::optional<platform::ListedProcess> inspect(int32_t pid);

// The workspace of this session, on the live process table. `resolver` is
// used on the main thread only.
std::unique_ptr<platform::LinuxWorkspace>
liveWorkspace(std::shared_ptr<platform::ApplicationResolver> resolver);

} // namespace quorvel::WorkspaceProcesses
