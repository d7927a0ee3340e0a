#pragma once

#include <QtGlobal>

#include <functional>

namespace Kernwick {

/// Sleeps the calling thread for `ms` milliseconds.
void sleepMilliseconds(int ms);
/// Milliseconds on a monotonic clock (not wall time).
qint64 monotonicMilliseconds();

/// The timings and the clock of a byte port. The defaults are the real ones; tests
/// put in a zero pacing or a simulated clock.
struct LinkTiming
{
    /// Milliseconds to wait before each byte of a text command (writeString). The
    /// board's input handling needs the real 20 ms; simulators accept 0.
    int paceMs = 20;
    /// The longest wait for one byte: every conversation sets this read time-out
    /// when it opens the port.
    int readTimeoutMs = 500;
    /// Performs the pacing wait and the conversations' fixed pauses.
    std::function<void(int ms)> sleep = sleepMilliseconds;
    /// Reads the clock for waits measured in time rather than in reads.
    std::function<qint64()> clock = monotonicMilliseconds;
};

} // namespace Kernwick
