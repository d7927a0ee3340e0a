#pragma once

#include <QtGlobal>

#include <functional>

namespace Kernwick {

/// Sleeps the calling thread for `ms` milliseconds.
void sleepMilliseconds(int ms);
/// Milliseconds on a monotonic clock (not wall time).
qint64 monotonicMilliseconds();

/// The pacing and the clock of a byte port. The defaults are the real ones; tests
/// put in a zero pacing or a simulated clock.
struct LinkTiming
{
    /// Milliseconds to wait before each byte of a text command (writeString). The
    /// board's input handling needs the real 20 ms; simulators accept 0.
    int paceMs = 20;
    /// Performs the pacing wait.
    std::function<void(int ms)> sleep = sleepMilliseconds;
    /// Reads the clock for waits measured in time rather than in reads.
    std::function<qint64()> clock = monotonicMilliseconds;
};

} // namespace Kernwick
