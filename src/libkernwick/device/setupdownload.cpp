#include "libkernwick/device/setupdownload.h"

#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/bootscriptdownload.h"
#include "libkernwick/device/byteport.h"
#include "libkernwick/device/conversation.h"
#include "libkernwick/device/download.h"
#include "libkernwick/device/downloadwriter.h"
#include "libkernwick/device/fontchunk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace Kernwick {

namespace {

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

// Runs the parts of one setup download and keeps how each ended.
class SetupDownload
{
public:
    explicit SetupDownload(Conversation &conversation) : m_conversation(conversation) {}

    DownloadOutcome run(const SetupBundle &bundle, qint32 baudRate)
    {
        if (!m_conversation.openPortBoxed(baudRate)) {
            // A stop asked before the port opened keeps it shut.
            stopRequested();
            return outcome();
        }
        m_conversation.speak(WireDialect::MainPort);
        if (sendFont(bundle.fontPath) && sendConfiguration(bundle.configPath))
            sendBootScript(bundle.bootScriptPath);
        m_conversation.end();
        return outcome();
    }

private:
    // Each part returns whether the download goes on with the next.

    bool sendFont(const QString &path)
    {
        PartOutcome &outcome = m_font;
        if (path.isEmpty()) {
            outcome = PartOutcome::NotNamed;
            return true;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            outcome = PartOutcome::Failed;
            m_conversation.showBox(aboutFile(fileErrorBox(), path, file.errorString()));
            return false;
        }
        const int maximum = progressTotal(file.size(), FontChunkSize);
        start(QStringLiteral("Downloading Font: %1").arg(fileName(path)), maximum);

        BytePort &port = m_conversation.port();
        const QByteArray device = QByteArray::number(SetupFontDevice);
        port.writeString(SequenceInitiator + QByteArray("93;") + device + ";0|");
        if (stopRequested())
            return endPart(false);
        std::uint8_t answer = 0;
        // The font still goes after a refused erase, as it always has, but the part
        // fails: what the board held beyond the new font is still there.
        bool erased = true;
        if (!m_conversation.readAck(&answer)) {
            erased = false;
            m_conversation.showBox(appBox(QStringLiteral("no ack from erase")));
        } else {
            m_conversation.reportMemoryErased(SetupFontDevice);
        }

        m_conversation.beginTransfer(ProgressUnit::Chunks, pieceCount(file.size(), FontChunkSize));
        QByteArray block;
        for (qint64 offset = 0;; offset += FontChunkSize) {
            if (stopRequested())
                return endPart(false);
            if (!readPiece(file, FontChunkSize, &block)) {
                outcome = PartOutcome::Failed;
                m_conversation.showBox(aboutFile(fileErrorBox(), path, file.errorString()));
                return endPart(false);
            }
            if (block.isEmpty())
                break;
            if (!uploadFontChunk(m_conversation, SetupFontDevice, offset, block,
                                 FontDialect::MainPort)) {
                if (stopRequested())
                    return endPart(false);
                fail(&outcome, QStringLiteral("Font part failed: block %1 of %2 was not "
                                              "acknowledged by the board")
                                   .arg(offset / FontChunkSize)
                                   .arg(fileName(path)));
                return endPart(false);
            }
            progress(int((offset + FontChunkSize) / FontChunkSize), maximum);
            m_conversation.reportTransfer(int((offset + FontChunkSize) / FontChunkSize));
        }

        port.writeString(SequenceInitiator + QByteArray("92;") + device + ";1|");
        if (stopRequested())
            return endPart(false);
        if (!m_conversation.readAck(&answer)) {
            fail(&outcome, QStringLiteral("Font part failed: the memory flush after %1 was not "
                                          "acknowledged (flush returns %2)")
                               .arg(fileName(path))
                               .arg(answer));
        } else if (!erased) {
            outcome = PartOutcome::Failed;
            m_fontReason = QStringLiteral("the board did not acknowledge the memory erase before "
                                          "%1 (no ack from erase)")
                               .arg(fileName(path));
        } else {
            outcome = PartOutcome::Sent;
        }
        return endPart(!stopRequested());
    }

    bool sendConfiguration(const QString &path)
    {
        QByteArray text;
        if (!readTextPart(path, QStringLiteral("configuration"), &m_configuration, &text))
            return !m_stopped;
        start(QStringLiteral("Downloading Config: %1").arg(fileName(path)),
              SetupTextPartProgressEnd);
        pause();
        DownloadWriter writer(m_conversation, text.size());
        writer.beginTransfer(ProgressUnit::Bytes, int(text.size()));
        writer.paced(text);
        return finishTextPart(writer, QStringLiteral("Configuration"), &m_configuration);
    }

    bool sendBootScript(const QString &path)
    {
        QByteArray text;
        if (!readTextPart(path, QStringLiteral("boot script"), &m_bootScript, &text))
            return !m_stopped;
        start(QStringLiteral("Downloading Bootscript: %1").arg(fileName(path)),
              SetupTextPartProgressEnd);
        pause();
        // The boot script frame with ESC "[" in front of it, as setup downloads
        // have always sent it; the board drops the unfinished command at the ESC.
        const QByteArray frame = bootScriptFrame(text);
        DownloadWriter writer(m_conversation, 2 + frame.size());
        writer.beginTransfer(ProgressUnit::Bytes, int(writer.total()));
        // Once a write has failed or was stopped the later ones do nothing;
        // finishTextPart() reports how it went.
        writer.raw(SequenceInitiator);
        writer.raw("\x1bX");
        writer.paced(text);
        writer.raw("\x1b\\");
        writer.raw(SequenceInitiator);
        writer.paced("8v");
        writer.raw(SequenceInitiator);
        writer.paced("1v");
        return finishTextPart(writer, QStringLiteral("Boot script"), &m_bootScript);
    }

    // Reads a configuration or boot script part's file: at most SetupPartMaxBytes,
    // as text up to the first NUL. False when the part is not sent: not named (the
    // download goes on), unreadable or too long (reported).
    bool readTextPart(const QString &path, const QString &kind, PartOutcome *outcome,
                      QByteArray *text)
    {
        if (path.isEmpty()) {
            *outcome = PartOutcome::NotNamed;
            return false;
        }
        if (stopRequested())
            return false;
        QFile file(path);
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly))
            bytes = file.read(SetupPartMaxBytes + 1);
        if (!file.isOpen() || file.error() != QFileDevice::NoError) {
            *outcome = PartOutcome::Failed;
            m_conversation.showBox(
                aboutFile({file.errorString(), QString()}, path, file.errorString()));
            return false;
        }
        if (bytes.size() > SetupPartMaxBytes) {
            *outcome = PartOutcome::Failed;
            m_conversation.showBox(
                appBox(QStringLiteral("The %1 file %2 is longer than %3 bytes, the most a setup "
                                      "download sends; it was not sent")
                           .arg(kind, QDir::toNativeSeparators(path))
                           .arg(SetupPartMaxBytes)));
            return false;
        }
        const qsizetype nul = bytes.indexOf('\0');
        *text = nul < 0 ? bytes : bytes.first(nul);
        return true;
    }

    bool finishTextPart(const DownloadWriter &writer, const QString &name, PartOutcome *outcome)
    {
        if (writer.stopped()) {
            m_stopped = true;
            return endPart(false);
        }
        if (writer.failed()) {
            *outcome = PartOutcome::Failed;
            m_conversation.showBox(
                appBox(QStringLiteral("%1 part failed: only %2 of %3 bytes could be written "
                                      "to the port")
                           .arg(name)
                           .arg(writer.written())
                           .arg(writer.total())));
            return endPart(false);
        }
        *outcome = PartOutcome::Sent;
        progress(SetupTextPartProgressEnd, SetupTextPartProgressEnd);
        pause();
        return endPart(true);
    }

    // A font part failure, reported in its box.
    void fail(PartOutcome *outcome, const QString &text)
    {
        *outcome = PartOutcome::Failed;
        m_conversation.showBox(appBox(text));
    }

    void start(const QString &fileLine, int maximum)
    {
        m_conversation.startPart({fileLine, portCaption(m_conversation.portName())}, maximum);
    }

    void progress(int position, int maximum) { m_conversation.reportProgress(position, maximum); }

    bool endPart(bool goOn)
    {
        m_conversation.endPart();
        return goOn;
    }

    void pause() { m_conversation.pause(SetupPartPauseMs); }

    bool stopRequested()
    {
        if (m_conversation.stopRequested())
            m_stopped = true;
        return m_stopped;
    }

    // Completed when every part was sent or not named (a part not reached, as when
    // the port did not open, was neither).
    DownloadOutcome outcome() const
    {
        DownloadOutcome outcome;
        outcome.parts = {{SetupPart::Font, m_font, m_fontReason},
                         {SetupPart::Configuration, m_configuration},
                         {SetupPart::BootScript, m_bootScript}};
        const auto done = [](const PartLine &line) {
            return line.outcome == PartOutcome::Sent || line.outcome == PartOutcome::NotNamed;
        };
        if (m_stopped)
            outcome.result = DownloadResult::Stopped;
        else if (std::all_of(outcome.parts.cbegin(), outcome.parts.cend(), done))
            outcome.result = DownloadResult::Completed;
        return outcome;
    }

    Conversation &m_conversation;
    bool m_stopped = false;
    PartOutcome m_font = PartOutcome::NotReached;
    QString m_fontReason; ///< why the font part failed, when no box said it
    PartOutcome m_configuration = PartOutcome::NotReached;
    PartOutcome m_bootScript = PartOutcome::NotReached;
};

} // namespace

DownloadOutcome downloadSetup(Conversation &conversation, const SetupBundle &bundle,
                              qint32 baudRate)
{
    return SetupDownload(conversation).run(bundle, baudRate);
}

} // namespace Kernwick
