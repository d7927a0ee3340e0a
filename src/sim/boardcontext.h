#pragma once

#include "boardfaults.h"
#include "boardtypes.h"
#include "memorydevices.h"
#include "staterecorder.h"

#include <QByteArray>

#include <optional>
#include <utility>
#include <vector>

namespace Kernwick::Sim {

/// What the board's three interfaces share: the answers waiting to be sent, the
/// events and state files, the faults, the memory devices, the time the last bytes
/// came, and the handing of the line from one interface to another.
class BoardContext
{
public:
    BoardContext(BoardFaults boardFaults, const QString &stateDir)
        : recorder(stateDir), faults(std::move(boardFaults)), memory(recorder, faults)
    {
    }
    BoardContext(const BoardContext &) = delete;
    BoardContext &operator=(const BoardContext &) = delete;

    /// Queues an answer, to be sent as a unit.
    void answer(QByteArray bytes) { m_answers.push_back(std::move(bytes)); }
    std::vector<QByteArray> takeAnswers() { return std::exchange(m_answers, {}); }

    void event(const QString &text, EventKind kind = EventKind::Note)
    {
        recorder.event(text, kind);
    }

    /// Hands the line to `next` as soon as the byte being read is done.
    void enter(Interface next) { m_entering = next; }
    /// The interface asked for by enter(), once.
    std::optional<Interface> takeEntering() { return std::exchange(m_entering, std::nullopt); }

    StateRecorder recorder;
    BoardFaults faults;
    MemoryDevices memory;
    Clock::time_point lastInput{}; ///< when the last bytes came

private:
    std::vector<QByteArray> m_answers;
    std::optional<Interface> m_entering;
};

} // namespace Kernwick::Sim
