#include "libkernwick/device/fontdownload.h"

#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/byteport.h"
#include "libkernwick/device/conversation.h"

#include <QFileInfo>
#include <QIODevice>

namespace Kernwick {

namespace {

// Reads that the debug console gets to answer an erase or a flush with ">"; an
// answer that refuses ends the wait at the first silent read after it.
constexpr int DebugMemoryReads = 50;

bool erase(Conversation &c, const FontDownload &request, std::uint8_t *answer)
{
    const QByteArray device = QByteArray::number(request.device);
    if (request.dialect == FontDialect::MainPort) {
        return c.port().writeString(QByteArray(SequenceInitiator) + "93;" + device + ";0|") &&
               !c.stopRequested() && c.readAck(answer);
    }
    return c.port().writeString("memory erase " + device + " 0\n") &&
           c.waitForConsole(">", DebugMemoryReads, answer);
}

bool flush(Conversation &c, const FontDownload &request, std::uint8_t *answer)
{
    const QByteArray device = QByteArray::number(request.device);
    if (request.dialect == FontDialect::MainPort) {
        return c.port().writeString(QByteArray(SequenceInitiator) + "92;" + device + ";1|") &&
               !c.stopRequested() && c.readAck(answer);
    }
    return c.port().writeString("memory flush " + device + " 1\n") &&
           c.waitForConsole(">", DebugMemoryReads, answer);
}

} // namespace

ProgressCaptions fontDownloadCaptions(const QString &filePath, int device, const QString &portName)
{
    return {QStringLiteral("Downloading font: %1").arg(QFileInfo(filePath).fileName()),
            QStringLiteral("to device %1 on %2").arg(device).arg(portName)};
}

DownloadOutcome downloadFont(Conversation &c, QIODevice &file, const FontDownload &request)
{
    const int total = progressTotal(file.size(), FontChunkSize);
    c.reportProgress(0, total);

    const bool debug = request.dialect == FontDialect::DebugPort;
    if (!c.openPortLogged(debug ? MonitorBaudRate : request.baudRate))
        return stoppedOrFailed(c);
    if (!(debug ? c.detectDebugPort(DebugWording::Zuvo) : c.detectBoard()))
        return stoppedOrFailed(c);
    if (c.stopIfRequested())
        return {DownloadResult::Stopped};

    c.appendLog(QStringLiteral("Sending memory erase command\r\n"));
    std::uint8_t answer = 0;
    if (!erase(c, request, &answer)) {
        if (c.stopIfRequested())
            return {DownloadResult::Stopped};
        c.appendLog(
            QStringLiteral("* Memory erase failed *\r\n* Erase returns %1 *\r\nPlease check "
                           "that memory device is present and enabled\r\nUse device 4 for "
                           "internal ZUVO memory")
                .arg(answer));
        return stoppedOrFailed(c);
    }
    c.reportMemoryErased(request.device);
    c.appendLog(QStringLiteral("Memory erased\r\nDownloading font\r\n"));
    c.beginTransfer(ProgressUnit::Chunks, pieceCount(file.size(), FontChunkSize));

    qint64 offset = 0;
    QByteArray chunk;
    for (;;) {
        if (!readPiece(file, FontChunkSize, &chunk))
            return fileReadFailed(c);
        if (chunk.isEmpty())
            break;
        if (!uploadFontChunk(c, request.device, offset, chunk, request.dialect)) {
            if (c.stopIfRequested())
                return {DownloadResult::Stopped};
            c.appendLog(QStringLiteral("* Data transfer failed *\r\nPacket number %1")
                            .arg(offset / FontChunkSize));
            return stoppedOrFailed(c);
        }
        offset += FontChunkSize;
        c.reportProgress(int(offset / FontChunkSize), total);
        c.reportTransfer(int(offset / FontChunkSize));
        if (c.stopIfRequested())
            return {DownloadResult::Stopped};
    }

    c.appendLog(QStringLiteral("Font download complete\r\nSending memory flush command\r\n"));
    if (!flush(c, request, &answer)) {
        if (c.stopIfRequested())
            return {DownloadResult::Stopped};
        c.appendLog(QStringLiteral("* Memory flush failed *\r\n* flush returns %1 *\r\nPossible "
                                   "corrupted font file")
                        .arg(answer));
        return stoppedOrFailed(c);
    }
    c.appendLog(QStringLiteral("Memory flushed: font loaded\r\nFont download complete"));
    c.end();
    return {DownloadResult::Completed};
}

} // namespace Kernwick
