#pragma once

#include "libkernwick/device/download.h"
#include "libkernwick/device/fontchunk.h"

#include <QString>

class QIODevice;

namespace Kernwick {

class Conversation;

/// The memory device a font goes to unless the user picks another: the board's
/// internal memory.
inline constexpr int DefaultMemoryDevice = 4;
/// Memory devices 0 to MaxMemoryDevice can be chosen.
inline constexpr int MaxMemoryDevice = 4;

/// What the user chose for a font download.
struct FontDownload
{
    int device = DefaultMemoryDevice;
    FontDialect dialect = FontDialect::MainPort;
    /// The main port's rate (the serial selection's); the debug port always runs at
    /// 115200.
    qint32 baudRate = 9600;
};

/// "Downloading font: <file name>" and "to device <n> on <port>".
ProgressCaptions fontDownloadCaptions(const QString &filePath, int device, const QString &portName);

/// Copies the font file `file` (open for reading) byte for byte into a memory
/// device of the board: opens the port and detects the board, erases the device,
/// sends the file in chunks of FontChunkSize bytes (uploadFontChunk), flushes the
/// device and closes the port, logging every step. Progress counts chunks.
DownloadOutcome downloadFont(Conversation &conversation, QIODevice &file,
                             const FontDownload &request);

} // namespace Kernwick
