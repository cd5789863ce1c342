#pragma once

#include <functional>

namespace quorvel::platform {

// Events a memory-pressure source reports; one call may carry several.
enum PressureEvent : unsigned {
    pressureEventNormal = 1u << 0,
    pressureEventWarning = 1u << 1,
    pressureEventCritical = 1u << 2,
};
using PressureEvents = unsigned;

// Tells its handler whenever the system's pressure state changes, including
// the return to normal. start() and cancel() are called on the thread whose
// event loop the source runs on; the handler is called on that thread.
class PressureEventSource {
public:
    using Handler = std::function<void(PressureEvents)>;

    virtual ~PressureEventSource() = default;
    virtual void start(Handler handler) = 0;
    // After cancel() the handler is never called again.
    virtual void cancel() = 0;
};

} // namespace quorvel::platform
