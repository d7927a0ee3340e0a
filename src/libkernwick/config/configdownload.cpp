#include "libkernwick/config/configdownload.h"

#include "libkernwick/config/configstream.h"
#include "libkernwick/device/byteport.h"
#include "libkernwick/device/conversation.h"

namespace Kernwick {

namespace {

QString writeFailedText(qsizetype sent, qsizetype total)
{
    return QStringLiteral("*Configuration download failed*\r\nOnly %1 of %2 bytes could be "
                          "written to the port\r\nPlease check the connection and download "
                          "again\r\n")
        .arg(sent)
        .arg(total);
}

} // namespace

bool downloadConfiguration(Conversation &conversation, const DeviceConfig &config, qint32 baudRate,
                           const DownloadProgress &progress)
{
    const QByteArray stream = encodeConfigStream(config, ConfigOrder::Download);
    if (progress)
        progress(0, ConfigDownloadProgressEnd);

    if (!conversation.openPortLogged(baudRate) || !conversation.detectBoard())
        return false;

    conversation.appendLog(QStringLiteral("Sending configuration\r\n"));
    // Byte by byte, each with the port's pacing, so that a failed byte stops the
    // stream before anything after it reaches the board.
    for (qsizetype sent = 0; sent < stream.size(); ++sent) {
        if (conversation.stopRequested()) {
            conversation.end();
            return false;
        }
        if (!conversation.port().writeString(stream.sliced(sent, 1))) {
            conversation.end();
            conversation.appendLog(writeFailedText(sent, stream.size()));
            return false;
        }
    }
    if (progress)
        progress(ConfigDownloadProgressEnd, ConfigDownloadProgressEnd);
    conversation.end();
    conversation.appendLog(QStringLiteral("Configuration download complete\r\n"));
    return true;
}

} // namespace Kernwick
