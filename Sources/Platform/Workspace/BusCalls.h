#pragma once

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QString>

#include <cstdint>
#include <optional>

namespace quorvel::platform {

// What is left of `deadline` for a blocking bus call: at least a
// millisecond, as 0 would mean the bus library's own 25 s.
int millisecondsLeft(const QDeadlineTimer &deadline);

// The connection that owns `name` on `bus` now; empty when none does or the
// bus did not answer by `deadline`.
QString busNameOwner(const QDBusConnection &bus, const QString &name,
                     const QDeadlineTimer &deadline);

// The process of the connection that owns `name` on `bus` now; nothing when
// none does, the bus did not answer by `deadline` or named no valid pid.
std::optional<int32_t> busNamePid(const QDBusConnection &bus, const QString &name,
                                  const QDeadlineTimer &deadline);

} // namespace quorvel::platform
