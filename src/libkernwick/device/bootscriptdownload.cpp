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

QString writeFailedText(const DownloadWriter &writer)
{
    return QStringLiteral("*Boot script download failed*\r\nOnly %1 of %2 bytes could be "
                          "written to the port\r\nPlease check the connection and download "
                          "again\r\n")
        .arg(writer.written())
        .arg(writer.total());
}

} // namespace

QByteArray bootScriptFrame(const QByteArray &script)
{
    return FrameStart + script + FrameEnd + SequenceInitiator + TakeBootScript + SequenceInitiator +
           SaveConfiguration;
}

bool downloadBootScript(Conversation &conversation, const QByteArray &script, qint32 baudRate,
                        const DownloadProgress &progress)
{
    const auto report = [&](int position) {
        if (progress)
            progress(position, BootScriptProgressEnd);
    };
    report(0);
    if (!conversation.openPortLogged(baudRate) || !conversation.detectBoard()) {
        conversation.stopIfRequested();
        return false;
    }

    DownloadWriter writer(conversation, bootScriptFrame(script).size());
    const auto failed = [&] {
        if (conversation.stopIfRequested())
            return false;
        conversation.end();
        if (writer.failed())
            conversation.appendLog(writeFailedText(writer));
        return false;
    };

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
    return true;
}

} // namespace Kernwick
