#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace Kernwick {

/// What a download counts as it goes.
enum class ProgressUnit
{
    Chunks,     ///< 256-byte pieces of a font
    Blocks,     ///< 128-byte XMODEM blocks of a firmware image
    Parameters, ///< configuration commands
    Bytes       ///< bytes of a boot script and its commands
};

/// How far a transfer has come: `done` of `total` in its unit, the bytes written to
/// the line and the time since the transfer began. The rate and the time left are
/// derived from these, so every display shows the same figures.
struct TransferProgress
{
    ProgressUnit unit = ProgressUnit::Chunks;
    int done = 0;
    int total = 0;
    qint64 bytesSent = 0;
    qint64 elapsedMs = 0;

    /// 0 to 100; 100 once `done` reaches `total` (and for a total of 0).
    int percent() const;
    /// Bytes per second so far; 0 before any time has passed.
    double bytesPerSecond() const;
    /// The time left at the pace so far; none until a piece is done, or once all are.
    std::optional<qint64> remainingMs() const;

    friend bool operator==(const TransferProgress &, const TransferProgress &) = default;
};

/// "12 of 64 chunks (18 %)".
QString progressCountText(const TransferProgress &progress);
/// "3964 bytes sent, 50 bytes/s, 5 min 23 s left": the bytes, the rate once time
/// has passed and the time left once it can be estimated.
QString progressRateText(const TransferProgress &progress);
/// "3964 bytes sent, 50 bytes/s": the bytes and the rate, for a transfer that has
/// ended (however far it came).
QString progressSentText(const TransferProgress &progress);
/// Both of the above, separated by a comma: the command line's progress line.
QString progressText(const TransferProgress &progress);
/// "45 s", "5 min 23 s", "1 h 2 min": a duration rounded up to whole seconds.
QString durationText(qint64 ms);

/// Measures one transfer on a clock of the caller's choice (milliseconds, any
/// origin), so tests can drive it with a simulated one.
class TransferMeter
{
public:
    /// The transfer begins now with `total` pieces of `unit`; `bytesWritten` is the
    /// line's byte count so far, from which the bytes sent are counted.
    void begin(ProgressUnit unit, int total, qint64 bytesWritten, qint64 nowMs);
    bool begun() const { return m_begun; }
    /// The figures with `done` pieces done and the line's byte count at `bytesWritten`.
    TransferProgress at(int done, qint64 bytesWritten, qint64 nowMs) const;

private:
    bool m_begun = false;
    ProgressUnit m_unit = ProgressUnit::Chunks;
    int m_total = 0;
    qint64 m_startBytes = 0;
    qint64 m_startMs = 0;
};

} // namespace Kernwick
