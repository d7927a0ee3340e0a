#pragma once

#include "libkernwick/device/download.h"

#include <QString>

class QIODevice;

namespace Kernwick {

class Conversation;

/// How the board's boot monitor is reached for a firmware download.
enum class FirmwareDialect
{
    MainPort,  ///< identified on the main port, told to reset for download, port reopened
    DebugPort, ///< "reset x" on the debug console
    Repair     ///< the boot monitor is already running and addressed directly
};

/// What the user chose for a firmware download.
struct FirmwareDownload
{
    FirmwareDialect dialect = FirmwareDialect::MainPort;
    /// The main port's rate before the reset (the serial selection's); the debug
    /// console and the boot monitor always run at 115200.
    qint32 baudRate = 9600;
};

/// The box the firmware downloads wait for before they start the firmware.
BoxMessage downloadCompleteBox();
/// The box of the repair download's failed transfer.
BoxMessage repairFailedBox();

/// "Downloading file: <file name>" and "on <port>".
ProgressCaptions firmwareDownloadCaptions(const QString &filePath, const QString &portName);

/// Sends the firmware image `file` (open for reading) to the boot monitor by
/// XMODEM-CRC and starts it: brings the board into its boot monitor the chosen way,
/// sends "S104000,#", the file in blocks of 128 bytes (a short last block padded
/// with 0x1A), EOT, waits for the user to confirm "Download Complete", sends "g#"
/// and closes the port, logging every step. Progress counts blocks.
DownloadOutcome downloadFirmware(Conversation &conversation, QIODevice &file,
                                 const FirmwareDownload &request);

} // namespace Kernwick
