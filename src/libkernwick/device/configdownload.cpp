#include "libkernwick/device/configdownload.h"

#include "libkernwick/config/configstream.h"
#include "libkernwick/config/wireform.h"
#include "libkernwick/device/conversation.h"
#include "libkernwick/device/downloadwriter.h"

namespace Kernwick {

ProgressCaptions configDownloadCaptions(const QString &portName)
{
    return {QStringLiteral("Downloading configuration"), portCaption(portName)};
}

namespace {

QString parityName(int code)
{
    static const char *const names[] = {"even", "odd", "space", "mark", "no"};
    return code >= CommParams::Even && code <= CommParams::None
               ? QString::fromLatin1(names[code])
               : QStringLiteral("parity code %1 as").arg(code);
}

QString stopBitsName(int code)
{
    static const char *const names[] = {"1", "1.5", "2"};
    return code >= CommParams::One && code <= CommParams::Two ? QString::fromLatin1(names[code])
                                                              : QStringLiteral("code %1").arg(code);
}

} // namespace

QStringList lineChanges(const DeviceConfig &config, qint32 baudRate)
{
    QStringList changes;
    if (config.serialBaudRate != baudRate)
        changes.append(QStringLiteral("The board will listen at %1 baud after this configuration")
                           .arg(config.serialBaudRate));
    if (config.serialFlowControl == 2)
        changes.append(
            QStringLiteral("The board will use hardware flow control after this configuration"));
    const CommParams comm = CommParams::unpack(config.commParams);
    if (comm.parity != CommParams::None || comm.sevenDataBits || comm.stopBits != CommParams::One) {
        changes.append(QStringLiteral("The board will use %1 data bits, %2 parity and %3 stop "
                                      "bits after this configuration")
                           .arg(comm.sevenDataBits ? 7 : 8)
                           .arg(parityName(comm.parity), stopBitsName(comm.stopBits)));
    }
    return changes;
}

DownloadOutcome downloadConfiguration(Conversation &conversation, const DeviceConfig &config,
                                      qint32 baudRate)
{
    const QByteArray stream = encodeConfigStream(config, ConfigOrder::Download);
    conversation.reportProgress(0, ConfigDownloadProgressEnd);

    if (!conversation.openPortLogged(baudRate) || !conversation.detectBoard())
        return stoppedOrFailed(conversation);

    // Sent all the same, but the user must know how to reach the board afterwards.
    const QStringList changes = lineChanges(config, baudRate);
    for (const QString &change : changes)
        conversation.appendLog(change + QStringLiteral("\r\n"));
    if (!changes.isEmpty())
        conversation.appendLog(QStringLiteral("The next command must use the new settings\r\n"));
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
