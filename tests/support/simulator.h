#pragma once

// Starts zuvo-sim as a process on a fresh pseudo-terminal for one test.

#include <QByteArray>
#include <QDeadlineTimer>
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
    bool start(const QStringList &args = {})
    {
        m_process.setProgram(QStringLiteral(ZUVO_SIM));
        m_process.setArguments(QStringList{QStringLiteral("--state"), m_state.path()} + args);
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return false;
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(10000))
                return false;
        }
        m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        return !m_device.isEmpty();
    }

    ~Simulator() { stop(); }

    /// The pseudo-terminal's device path, to open as a port.
    QString device() const { return m_device; }
    /// The folder the simulator records into.
    QString stateDir() const { return m_state.path(); }
    /// A file of the state folder, for example "wire.log".
    QByteArray stateFile(const QString &name) const
    {
        QFile f(m_state.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    /// The state file `name` once it holds `size` bytes or more (the simulator
    /// records as bytes arrive), or what it holds after 5 seconds.
    QByteArray stateFileOnceWritten(const QString &name, qsizetype size = 1) const
    {
        const QDeadlineTimer deadline(5000);
        QByteArray bytes = stateFile(name);
        while (bytes.size() < size && !deadline.hasExpired()) {
            QThread::msleep(20);
            bytes = stateFile(name);
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
    QStringList unfinishedInput() const
    {
        QStringList lines;
        for (const QByteArray &line : stateFile(QStringLiteral("events.log")).split('\n')) {
            if (line.startsWith("unfinished"))
                lines.append(QString::fromUtf8(line));
        }
        return lines;
    }
    /// unfinishedInput() once it has `count` lines or more, or what it has after
    /// 10 seconds.
    QStringList unfinishedInputOnceLogged(qsizetype count = 1) const
    {
        const QDeadlineTimer deadline(10000);
        QStringList lines = unfinishedInput();
        while (lines.size() < count && !deadline.hasExpired()) {
            QThread::msleep(20);
            lines = unfinishedInput();
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
    QTemporaryDir m_state;
    QProcess m_process;
    QString m_device;
};

} // namespace Kernwick::Test
