#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

namespace Kernwick::Sim {

class StateRecorder;
struct BoardFaults;

/// The board's five memory devices, written in 256-byte chunks of ASCII85 text
/// through either the main port or the debug console.
///
/// Each operation says whether it was accepted and leaves an event saying what it
/// did or why it refused; a flush records the device as `device<N>.bin`.
class MemoryDevices
{
public:
    static constexpr int Count = 5;
    static constexpr qsizetype Capacity = 16 * 1024 * 1024;
    static constexpr int ChunkSize = 256;

    MemoryDevices(StateRecorder &recorder, BoardFaults &faults);

    bool erase(std::int64_t device);
    bool flush(std::int64_t device);
    /// Stores the decoded `text` at `offset` of `device` if it is a chunk of 1 to
    /// 256 bytes with the given checksum, following what is already written.
    bool commitChunk(std::int64_t device, std::int64_t offset, std::int64_t checksum,
                     const std::optional<QByteArray> &text);

    /// Device `n` (0 to 4) as written.
    const QByteArray &device(int n) const { return m_devices[n]; }

private:
    // Whether an erase or flush of `device` is refused, for the `fault` or because
    // there is no such device; a refusal leaves its event.
    bool refuses(const char *operation, std::int64_t device, bool fault);

    StateRecorder &m_recorder;
    BoardFaults &m_faults;
    QByteArray m_devices[Count];
};

} // namespace Kernwick::Sim
