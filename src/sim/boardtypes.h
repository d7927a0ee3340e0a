#pragma once

#include <QString>

#include <chrono>

namespace Kernwick::Sim {

using Clock = std::chrono::steady_clock;

/// The three ways the board talks on its connector.
enum class Interface
{
    MainPort,     ///< escape commands, string frames, one-byte acknowledgements
    DebugConsole, ///< text lines answered with the prompt "zuvo>"
    BootMonitor,  ///< short commands ending in "#", XMODEM-CRC receive
};

/// The interface's name as the event log writes it, such as "main port".
const char *interfaceName(Interface i);

/// The control bytes the board's interfaces read and answer.
namespace Ascii {
inline constexpr char Soh = 0x01;
inline constexpr char Eot = 0x04;
inline constexpr char Ack = 0x06;
inline constexpr char Nak = 0x15;
inline constexpr char Can = 0x18;
inline constexpr char Sub = 0x1A;
inline constexpr char Esc = 0x1B;
} // namespace Ascii

/// What kind of thing a board event reports.
enum class EventKind
{
    Note,           ///< something done as asked
    Refusal,        ///< input refused, ignored or dropped
    RecordingFailed ///< a state file could not be written
};

/// Something the board did worth telling the user.
struct BoardEvent
{
    EventKind kind = EventKind::Note;
    QString text;
};

} // namespace Kernwick::Sim
