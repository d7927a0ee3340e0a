#pragma once

// Starts zuvo-sim as a process on fresh pseudo-terminals for one test: one board,
// or many boards each on a terminal and in a state folder of its own.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

namespace Kernwick::Test {

class Simulator
{
public:
    /// Starts the simulator with `args` (for example {"--mode", "debug"}) and a
    /// state folder of its own. Returns false when it did not print its device path.
    bool start(const QStringList &args = {}) { return run(args, 1); }
    /// Starts `count` boards ("--boards"), each recording in a folder of its own;
    /// `args` may aim faults at one of them ({"--board", "2", "--silent"}). Returns
    /// false when the simulator did not print a device path for every board.
    bool startBoards(int count, const QStringList &args = {})
    {
        m_numbered = true;
        return run(QStringList{QStringLiteral("--boards"), QString::number(count)} + args, count);
    }

    ~Simulator() { stop(); }

    /// Board `board`'s pseudo-terminal device path (board 1 first), to open as a port.
    QString device(int board = 1) const { return m_devices.value(board - 1); }
    /// The device paths as printed, board 1 first.
    QStringList devices() const { return m_devices; }
    /// The folder board `board` records into.
    QString stateDir(int board = 1) const
    {
        return m_numbered ? m_state.filePath(QString::number(board)) : m_state.path();
    }
    /// A file of board `board`'s state folder, for example "wire.log".
    QByteArray stateFile(const QString &name, int board = 1) const
    {
        QFile f(QDir(stateDir(board)).filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    /// The state file `name` once it holds `size` bytes or more (the simulator
    /// records as bytes arrive), or what it holds after 5 seconds.
    QByteArray stateFileOnceWritten(const QString &name, qsizetype size = 1, int board = 1) const
    {
        const QDeadlineTimer deadline(5000);
        QByteArray bytes = stateFile(name, board);
        while (bytes.size() < size && !deadline.hasExpired()) {
            QThread::msleep(20);
            bytes = stateFile(name, board);
        }
        return bytes;
    }
    /// Everything the board received ("wire.log"), once `size` bytes are there and
    /// the simulator has stopped, so that nothing more can come.
    QByteArray receivedAfterStop(qsizetype size)
    {
        stateFileOnceWritten(QStringLiteral("wire.log"), size);
        stop();
        return stateFile(QStringLiteral("wire.log"));
    }

    /// The lines of "events.log" that start with "unfinished": an escape command,
    /// string frame or console line cut short, or left open when a client closed
    /// the line or the simulator stopped. None means every one that began also ended.
    QStringList unfinishedInput(int board = 1) const
    {
        QStringList lines;
        for (const QByteArray &line : stateFile(QStringLiteral("events.log"), board).split('\n')) {
            if (line.startsWith("unfinished"))
                lines.append(QString::fromUtf8(line));
        }
        return lines;
    }
    /// unfinishedInput() once it has `count` lines or more, or what it has after
    /// 10 seconds.
    QStringList unfinishedInputOnceLogged(qsizetype count = 1, int board = 1) const
    {
        const QDeadlineTimer deadline(10000);
        QStringList lines = unfinishedInput(board);
        while (lines.size() < count && !deadline.hasExpired()) {
            QThread::msleep(20);
            lines = unfinishedInput(board);
        }
        return lines;
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    QProcess &process() { return m_process; }

private:
    // Starts the program and reads the device paths it prints, one a board.
    bool run(const QStringList &args, int boards)
    {
        m_process.setProgram(QStringLiteral(ZUVO_SIM));
        m_process.setArguments(QStringList{QStringLiteral("--state"), m_state.path()} + args);
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return false;
        while (m_devices.size() < boards) {
            while (!m_process.canReadLine()) {
                if (!m_process.waitForReadyRead(10000))
                    return false;
            }
            const QString device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
            if (device.isEmpty())
                return false;
            m_devices.append(device);
        }
        return true;
    }

    QTemporaryDir m_state;
    QProcess m_process;
    QStringList m_devices;
    bool m_numbered = false;
};

} // namespace Kernwick::Test
