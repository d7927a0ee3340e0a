#pragma once

#include <QByteArray>

#include <cstdint>

namespace Kernwick {

/// How the board reads the bytes on the line, for telling where its commands start
/// and end.
enum class WireDialect
{
    Raw,        ///< bytes as the user types them (the terminal, "Test com"): not followed
    MainPort,   ///< escape commands ESC "[" ... final byte, string frames ESC "X" ... ESC "\"
    Console,    ///< the debug console: lines ended by CR or LF
    BootMonitor ///< the boot monitor: commands ended by "#"; XMODEM blocks between
};

/// Follows the bytes written to the board as the board's own input parser does, so
/// that the conversation knows whether the board is between commands (a stop may
/// take effect) or inside an escape command, string frame, console line or monitor
/// command (a stop must wait for its end, or close the frame).
class WireState
{
public:
    /// The dialect of the bytes from now on; the board starts between commands.
    void setDialect(WireDialect dialect);
    WireDialect dialect() const { return m_dialect; }
    /// The board is between commands.
    void reset();
    /// Follows one byte written as text or a control byte.
    void written(std::uint8_t byte);

    /// Whether the board is between commands: nothing begun is left unfinished. A
    /// lone ESC on the main port counts as between, since the next command's ESC
    /// starts afresh.
    bool betweenCommands() const;
    /// Whether a string frame is open on the main port: closing it (closingBytes())
    /// ends it without a command.
    bool frameOpen() const;
    /// The bytes that close the open string frame: ESC "\", or "\" right after an
    /// ESC of the frame's text. Empty when no frame is open.
    QByteArray closingBytes() const;

    /// An XMODEM transfer is under way (a block was sent) or has ended.
    void setTransferOpen(bool open) { m_transferOpen = open; }
    bool transferOpen() const { return m_transferOpen; }

private:
    enum class Main
    {
        Text,
        Escape,
        Sequence,
        Frame,
        FrameEscape
    };

    WireDialect m_dialect = WireDialect::Raw;
    Main m_main = Main::Text;
    bool m_lineOpen = false;    ///< console
    bool m_commandOpen = false; ///< boot monitor
    bool m_transferOpen = false;
};

} // namespace Kernwick
