#include "libkernwick/device/configdownload.h"

#include "libkernwick/config/configstream.h"
#include "libkernwick/device/conversation.h"
#include "libkernwick/device/downloadwriter.h"

namespace Kernwick {

ProgressCaptions configDownloadCaptions(const QString &portName)
{
    return {QStringLiteral("Downloading configuration"), portCaption(portName)};
}

DownloadOutcome downloadConfiguration(Conversation &conversation, const DeviceConfig &config,
                                      qint32 baudRate)
{
    const QByteArray stream = encodeConfigStream(config, ConfigOrder::Download);
    conversation.reportProgress(0, ConfigDownloadProgressEnd);

    if (!conversation.openPortLogged(baudRate) || !conversation.detectBoard())
        return stoppedOrFailed(conversation);

    conversation.appendLog(QStringLiteral("Sending configuration\r\n"));
    DownloadWriter writer(conversation, stream.size());
    writer.beginTransfer(ProgressUnit::Parameters, int(stream.count('v')), 'v');
    if (!writer.paced(stream))
        return writer.failedWriteOutcome(QStringLiteral("Configuration"));
    conversation.reportProgress(ConfigDownloadProgressEnd, ConfigDownloadProgressEnd);
    conversation.end();
    conversation.appendLog(QStringLiteral("Configuration download complete\r\n"));
    return {DownloadResult::Completed};
}

} // namespace Kernwick
