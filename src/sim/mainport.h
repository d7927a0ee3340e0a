#pragma once

#include "boardtypes.h"

#include <QByteArray>

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
/// It resynchronises on the next ESC outside a frame; CAN or SUB cancels a command
/// or frame; a half-received command or frame is dropped after a pause.
class MainPort
{
public:
    /// A half-received escape command or string frame is dropped after this pause.
    static constexpr std::chrono::milliseconds CommandIdleLimit{5000};

    explicit MainPort(BoardContext &context);

    /// The line is handed to the main port: it starts between commands.
    void enter();
    void receive(char c);
    void tick(Clock::time_point now);
    std::optional<Clock::time_point> nextDeadline() const;

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
