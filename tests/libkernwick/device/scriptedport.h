#pragma once

// A byte port whose far end is a script: what it answers, when it stays silent,
// and which settings calls fail. Time is simulated: a silent read costs the read
// time-out on a fake clock, and pacing waits and pauses are recorded instead of slept.

#include "libkernwick/device/byteport.h"
#include "qtprinters.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

namespace Kernwick::Test {

class ScriptedPort : public BytePort
{
public:
    static constexpr int ReadTimeoutMs = 500;

    ScriptedPort()
    {
        LinkTiming t;
        t.paceMs = 0;
        t.sleep = [this](int ms) {
            pacedMs += ms;
            now += ms;
        };
        t.clock = [this] { return now; };
        setTiming(t);
    }

    // Script ------------------------------------------------------------------
    /// Queues bytes to arrive, one per read.
    void arrive(const QByteArray &bytes)
    {
        for (const char c : bytes)
            incoming.push_back(std::uint8_t(c));
    }
    /// Queues `reads` reads that time out before whatever is queued after them.
    void silence(int reads)
    {
        for (int i = 0; i < reads; ++i)
            incoming.push_back(std::nullopt);
    }

    /// Called after every byte written, with everything written so far; may queue
    /// answers.
    std::function<void(ScriptedPort &, const QByteArray &written)> peer;
    bool openSucceeds = true;
    std::optional<BoxMessage> configureFailure;      ///< set: configure() fails with it
    bool timeoutsFail = false;                       ///< setTimeouts() fails (with its box)
    std::function<bool(const QString &)> portExists; ///< open() succeeds for these

    // Record ------------------------------------------------------------------
    QByteArray written;
    std::deque<std::optional<std::uint8_t>> incoming;
    QStringList openedNames;
    qint32 baudRate = 0;
    int readTimeout = -1;    ///< as last set; a silent read costs ReadTimeoutMs before that
    int timeoutSettings = 0; ///< setTimeouts() calls that succeeded
    int reads = 0;
    int closes = 0;
    qint64 now = 0;
    qint64 pacedMs = 0;

    // BytePort ----------------------------------------------------------------
    bool open(const QString &portName) override
    {
        openedNames.append(portName);
        const bool ok = m_open ? false : portExists ? portExists(portName) : openSucceeds;
        if (ok)
            m_open = true;
        return ok;
    }
    bool configure(qint32 baud, int, int, int, int) override
    {
        clearFailure();
        if (configureFailure) {
            reportFailure(*configureFailure);
            close();
            return false;
        }
        baudRate = baud;
        return m_open;
    }
    bool setTimeouts(int, int readTotalMultiplier, int readTotalConstant, int, int) override
    {
        clearFailure();
        if (timeoutsFail) {
            reportFailure({QStringLiteral("Com Port Error"),
                           QStringLiteral("StCommTimeouts function failed")});
            close();
            return false;
        }
        readTimeout = readTotalMultiplier + readTotalConstant;
        if (m_open)
            ++timeoutSettings;
        return m_open;
    }
    bool putByte(std::uint8_t byte) override
    {
        if (!m_open)
            return false;
        written.append(char(byte));
        if (peer)
            peer(*this, written);
        return true;
    }
    bool readByte(std::uint8_t *out) override
    {
        *out = 0;
        if (!m_open)
            return false;
        ++reads;
        std::optional<std::uint8_t> next;
        if (!incoming.empty()) {
            next = incoming.front();
            incoming.pop_front();
        }
        if (!next) {
            now += readTimeout > 0 ? readTimeout : ReadTimeoutMs;
            return false;
        }
        *out = *next;
        return true;
    }
    void close() override
    {
        if (m_open)
            ++closes;
        m_open = false;
    }
    bool isOpen() const override { return m_open; }

    /// Simulates a line that vanishes: the port closes under the conversation.
    void loseLine() { m_open = false; }

private:
    bool m_open = false;
};

} // namespace Kernwick::Test
