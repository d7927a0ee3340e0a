#pragma once

// What the download tests share: a record of everything a conversation reports,
// scripted boards that answer the identification query or whole commands, and the
// fixed log texts.

#include "libkernwick/device/conversation.h"
#include "libkernwick/device/download.h"
#include "scriptedport.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace Kernwick::Test {

inline const QString openedLog = QStringLiteral(
    "Opening com port\r\nPort opened\r\nConfiguring com port\r\nPort configured successfully\r\n");
inline const QString zuvoNotDetected = QStringLiteral(
    "\r\n* ZUVO not detected *\r\nPlease verify\r\nZUVO is connected to main serial port\r\n"
    "computer is connected to correct serial port\r\nZUVO is powered\r\ncheck ZUVO serial rate");
inline const QByteArray identificationQuery("\x1b[1}");
inline const QByteArray ack(1, '\x06');
inline const QByteArray nak(1, '\x15');

inline QString dots(int n)
{
    return QString(n, QLatin1Char('.'));
}
/// The log of the main-port board check when the board's answer brings "v4" with
/// its seventh byte ("ZUVO v4.2"), after the port was opened.
inline const QString zuvoDetectedLog = openedLog + QStringLiteral("Verifying ZUVO is present\r\n") +
                                       dots(7) + QStringLiteral("\r\nZUVO detected\r\n");

/// Everything a conversation reports, from any thread.
struct Record
{
    QString log;
    std::vector<BoxMessage> boxes;
    std::vector<BoxMessage> confirmed;
    std::vector<std::pair<int, int>> progress;
    std::vector<TransferProgress> transfers;
    /// The memory devices the board acknowledged erasing.
    std::vector<int> erased;
    /// The user's stop request; empty: never.
    std::function<bool()> stopWhen;
    /// Runs when a box must be confirmed, before it counts as closed.
    std::function<void(const BoxMessage &)> onConfirm;

    ConversationHooks hooks()
    {
        ConversationHooks h;
        h.appendLog = [this](const QString &text) {
            std::lock_guard lock(mutex);
            log += text;
        };
        h.showBox = [this](const BoxMessage &box) {
            std::lock_guard lock(mutex);
            boxes.push_back(box);
        };
        h.stopRequested = [this] { return stopWhen && stopWhen(); };
        h.progress = [this](int done, int total) {
            std::lock_guard lock(mutex);
            progress.emplace_back(done, total);
        };
        h.transfer = [this](const TransferProgress &figures) {
            std::lock_guard lock(mutex);
            transfers.push_back(figures);
        };
        h.memoryErased = [this](int device) {
            std::lock_guard lock(mutex);
            erased.push_back(device);
        };
        h.confirm = [this](const BoxMessage &box) {
            if (onConfirm)
                onConfirm(box);
            std::lock_guard lock(mutex);
            confirmed.push_back(box);
        };
        return h;
    }

    QString logSoFar()
    {
        std::lock_guard lock(mutex);
        return log;
    }

    std::mutex mutex;
};

/// The transfer figures reported, each as its count ("1 of 2 chunks (50 %)").
inline QStringList transferCounts(const std::vector<TransferProgress> &transfers)
{
    QStringList counts;
    for (const TransferProgress &figures : transfers)
        counts.append(progressCountText(figures));
    return counts;
}

/// A board on a scripted port that answers the identification query with "v4", and
/// a conversation on "com1" whose reports go to `record`. The user asks to stop
/// once the port has taken `stopAfterBytes` bytes (never while it is negative).
struct ScriptedDownload
{
    ScriptedDownload()
    {
        port.peer = [](ScriptedPort &p, const QByteArray &written) {
            if (written == identificationQuery)
                p.arrive("ZUVO v4.2");
        };
        record.stopWhen = [this] {
            return stopAfterBytes >= 0 && port.written.size() >= stopAfterBytes;
        };
        conversation = std::make_unique<Conversation>(port, QStringLiteral("com1"), record.hooks());
    }

    ScriptedPort port;
    Record record;
    qsizetype stopAfterBytes = -1;
    std::unique_ptr<Conversation> conversation;
};

/// Makes `port` answer like a board, one command at a time: every byte written is
/// collected until one of `terminators`, and `answer` gets the command (with its
/// terminator) and returns what arrives next. Two entries per answer: the silent
/// reads before it, and its bytes.
using CommandAnswer = std::pair<int, QByteArray>;
inline void answerCommands(ScriptedPort &port, QByteArray terminators,
                           std::function<CommandAnswer(const QByteArray &command)> answer)
{
    port.peer = [terminators = std::move(terminators), answer = std::move(answer),
                 command = QByteArray()](ScriptedPort &p, const QByteArray &written) mutable {
        const char c = written.back();
        command.append(c);
        if (!terminators.contains(c))
            return;
        const CommandAnswer a = answer(std::exchange(command, {}));
        p.silence(a.first);
        p.arrive(a.second);
    };
}

/// A file that fails to read after `goodBytes`.
class BrokenFile : public QIODevice
{
public:
    BrokenFile(QByteArray bytes, qint64 goodBytes) : m_bytes(std::move(bytes)), m_good(goodBytes)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    qint64 size() const override { return m_bytes.size(); }
    bool isSequential() const override { return false; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (pos() >= m_good)
            return -1;
        const qint64 n = qMin(maxSize, m_good - pos());
        std::copy_n(m_bytes.constData() + pos(), n, data);
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_good;
};

/// Bytes 0..n-1 of a repeating pattern with runs of zero bytes in it, so that both
/// kinds of ASCII85 group occur.
inline QByteArray sampleFile(int size, int seed = 1)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = (i / 24) % 3 == 1 ? '\0' : char((i * 37 + seed * 11) & 0xFF);
    return bytes;
}

} // namespace Kernwick::Test
