#pragma once

// What the font and firmware download tests share: a record of everything a
// conversation reports, a scripted board that answers whole commands, and the
// fixed log texts.

#include "libkernwick/device/conversation.h"
#include "libkernwick/device/download.h"
#include "scriptedport.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace Kernwick::Test {

inline const QString openedLog = QStringLiteral(
    "Opening com port\r\nPort opened\r\nConfiguring com port\r\nPort configured successfully\r\n");
inline const QString zuvoNotDetected = QStringLiteral(
    "\r\n* ZUVO not detected *\r\nPlease verify\r\nZUVO is connected to main serial port\r\n"
    "computer is connected to correct serial port\r\nZUVO is powered\r\ncheck ZUVO serial rate");
inline const QByteArray ack(1, '\x06');
inline const QByteArray nak(1, '\x15');

inline QString dots(int n)
{
    return QString(n, QLatin1Char('.'));
}

/// Everything a conversation reports, from any thread.
struct Record
{
    QString log;
    std::vector<BoxMessage> boxes;
    std::vector<BoxMessage> confirmed;
    std::vector<std::pair<int, int>> progress;
    int pumps = 0;
    std::vector<int> pumpsAtProgress; ///< `pumps` at each progress report
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
        h.pumpMessages = [this] { ++pumps; };
        h.stopRequested = [this] { return stopWhen && stopWhen(); };
        h.progress = [this](int done, int total) {
            std::lock_guard lock(mutex);
            progress.emplace_back(done, total);
            pumpsAtProgress.push_back(pumps);
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
