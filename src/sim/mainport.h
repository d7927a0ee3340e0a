#pragma once

#include "boardtypes.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace Kernwick::Sim {

class BoardContext;

/// The board's main port: plain text (what the board overlays, never answered),
/// escape commands ESC "[" numbers final, and string frames ESC "X" ... ESC "\".
///
/// It answers the identification and the memory commands, takes configuration
/// values, saves them as `config.txt`, takes the last string frame as the boot
/// script (`bootscript.bin`) and enters the boot monitor on a reset for download.
/// An escape command or string frame stays open until it ends, however long the
/// line is quiet (only the idle drop fault cuts it after a pause). An ESC outside a
/// frame starts the next command, and CAN or SUB cancels a command or frame; each
/// cut leaves an event starting with "unfinished".
class MainPort
{
public:
    /// A pause no client leaves inside a command: the usual idle drop fault.
    static constexpr std::chrono::milliseconds CommandIdleLimit{5000};

    explicit MainPort(BoardContext &context);

    /// The line is handed to the main port: it starts between commands.
    void enter();
    void receive(char c);
    /// Drops an unfinished command or frame once the idle drop fault's pause is over.
    void tick(Clock::time_point now);
    std::optional<Clock::time_point> nextDeadline() const;
    /// Leaves an "unfinished" event naming the command or frame under way, if any,
    /// left open `occasion` (such as "when the line was closed"). It stays open.
    void reportUnfinished(const QString &occasion);

    /// Parameter number → wire value, as last received.
    const std::map<int, std::int32_t> &config() const { return m_config; }
    /// The last boot script taken, if any.
    const std::optional<QByteArray> &bootScript() const { return m_bootScript; }

private:
    enum class State
    {
        Text,
        Escape,
        Sequence,
        Frame,
        FrameEscape
    };

    /// The escape command or string frame under way, for the event log; empty
    /// between commands.
    QString unfinished() const;
    void cut(const QString &by);
    void runSequence(char final);
    void runMemoryCommand(const std::vector<std::int64_t> &args, bool wellFormed);
    void resetParser();

    BoardContext &m_context;
    State m_state = State::Text;
    QByteArray m_sequence;
    QByteArray m_frame;
    bool m_frameOverflow = false;
    std::optional<QByteArray> m_pendingString; ///< the last complete string frame
    std::map<int, std::int32_t> m_config;
    std::optional<QByteArray> m_bootScript;
};

} // namespace Kernwick::Sim
