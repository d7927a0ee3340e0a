#include "libkernwick/device/bootscriptdownload.h"

#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/conversation.h"
#include "libkernwick/device/downloadwriter.h"

namespace Kernwick {

namespace {

// The string frame around the script, and the two commands after it; the
// command numbers are sent paced, the control bytes before them are not.
constexpr char FrameStart[] = "\x1bX";
constexpr char FrameEnd[] = "\x1b\\";
constexpr char TakeBootScript[] = "8v";
constexpr char SaveConfiguration[] = "1v";

} // namespace

ProgressCaptions bootScriptDownloadCaptions(const QString &portName)
{
    return {QStringLiteral("Downloading boot script"), portCaption(portName)};
}

QByteArray bootScriptFrame(const QByteArray &script)
{
    return FrameStart + script + FrameEnd + SequenceInitiator + TakeBootScript + SequenceInitiator +
           SaveConfiguration;
}

DownloadOutcome downloadBootScript(Conversation &conversation, const QByteArray &script,
                                   qint32 baudRate)
{
    const auto report = [&](int position) {
        conversation.reportProgress(position, BootScriptProgressEnd);
    };
    report(0);
    if (!conversation.openPortLogged(baudRate) || !conversation.detectBoard())
        return stoppedOrFailed(conversation);

    DownloadWriter writer(conversation, bootScriptFrame(script).size());
    writer.beginTransfer(ProgressUnit::Bytes, int(writer.total()));
    const auto failed = [&] { return writer.failedWriteOutcome(QStringLiteral("Boot script")); };

    conversation.appendLog(QStringLiteral("Sending boot script\r\n"));
    if (!writer.raw(FrameStart) || !writer.paced(script) || !writer.raw(FrameEnd))
        return failed();
    report(3);
    conversation.appendLog(QStringLiteral("Setting boot script\r\n"));
    if (!writer.raw(SequenceInitiator) || !writer.paced(TakeBootScript))
        return failed();
    report(6);
    conversation.appendLog(QStringLiteral("Saving configuration\r\n"));
    report(9);
    if (!writer.raw(SequenceInitiator) || !writer.paced(SaveConfiguration))
        return failed();
    report(10);
    conversation.end();
    conversation.appendLog(QStringLiteral("Boot script download complete\r\n"));
    return {DownloadResult::Completed};
}

} // namespace Kernwick
