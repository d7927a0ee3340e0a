#pragma once

#include <QByteArrayView>
#include <QtGlobal>

namespace Kernwick {

class Conversation;

/// The two ways a font reaches the board's memory.
enum class FontDialect
{
    MainPort, ///< escape commands at the selected rate
    DebugPort ///< console commands at 115200 baud
};

/// Bytes in one chunk of a font download.
inline constexpr int FontChunkSize = 256;
/// Characters of chunk text in one "str " line of the debug console.
inline constexpr int DebugPieceSize = 56;
/// Reads that the console gets to answer one line with its prompt.
inline constexpr int DebugPromptReads = 1024;

/// "UploadFontChunk": sends `bytes` (1 to FontChunkSize) as ASCII85 text and commits
/// them to memory `device` at `offset`, on a port that is open and configured.
///
/// Main port: the text in a string frame (ESC "X" ... ESC "\"), then
/// ESC "[91;device;offset;checksum|", answered by ACK. Debug port: the text in
/// "str " lines of DebugPieceSize characters, then "memory write device offset
/// checksum", each line answered by the prompt "zuvo>" within DebugPromptReads reads
/// and without an error line before it.
///
/// True when the board accepted the chunk; false when it refused, stayed silent or
/// the user asked to stop (the caller reports it).
bool uploadFontChunk(Conversation &conversation, int device, qint64 offset, QByteArrayView bytes,
                     FontDialect dialect);

} // namespace Kernwick
