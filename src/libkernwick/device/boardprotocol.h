#pragma once

#include <QtGlobal>

#include <cstdint>

namespace Kernwick {

/// Control bytes that the board conversations send and expect.
namespace ControlByte {
inline constexpr std::uint8_t Soh = 0x01; ///< start of an XMODEM block
inline constexpr std::uint8_t Eot = 0x04; ///< end of an XMODEM transfer
inline constexpr std::uint8_t Ack = 0x06; ///< accepted (memory commands, XMODEM)
inline constexpr std::uint8_t Cr = 0x0D;
inline constexpr std::uint8_t Nak = 0x15; ///< refused (XMODEM)
inline constexpr std::uint8_t Esc = 0x1B;
} // namespace ControlByte

/// The two bytes ESC "[" that open every main-port escape command; the command's
/// numbers and its terminator ("}" query, "v" configuration value, "|" memory and
/// control) follow.
inline constexpr char SequenceInitiator[] = "\x1b[";

/// What the debug-port console prints when it waits for a command.
inline constexpr char DebugPrompt[] = "zuvo>";
/// How the console's answer starts when it refused a line, before it prints the
/// prompt again: an error, or a command it does not know. Compared with the start
/// of each line of the answer, ignoring case.
inline constexpr const char *DebugRefusals[] = {"error", "unknown command"};

/// The debug console and the boot monitor always run at this rate.
inline constexpr qint32 MonitorBaudRate = 115200;

} // namespace Kernwick
