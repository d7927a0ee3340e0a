#include "debugconsole.h"

#include "boardcodec.h"
#include "boardcontext.h"

#include <utility>

namespace Kernwick::Sim {

namespace {

constexpr qsizetype MaxLine = 1024;
constexpr qsizetype MaxStaged = 64 * 1024;

const QByteArray Prompt = "\r\nzuvo>";
const QByteArray Refusal = "error\r\nzuvo>";
const QByteArray Failure = "error\r\n"; // no ">": a wait for the prompt character fails
const QByteArray Unknown = "unknown command\r\nzuvo>";
const QByteArray ResetAnswer = "\r\nreset for download (boot monitor)";

} // namespace

DebugConsole::DebugConsole(BoardContext &context) : m_context(context)
{
}

void DebugConsole::enter()
{
    m_line.clear();
    m_lineOverflow = false;
    m_lastWasCr = false;
}

void DebugConsole::reportUnfinished(const QString &occasion)
{
    if (!m_line.isEmpty())
        m_context.event(QStringLiteral("unfinished console line \"%1\" left open %2")
                            .arg(readableBytes(m_line), occasion));
}

void DebugConsole::clearStaged()
{
    m_staged.clear();
    m_stagedOverflow = false;
}

void DebugConsole::receive(char c)
{
    const bool afterCr = std::exchange(m_lastWasCr, c == '\r');
    if (c == '\n' && afterCr)
        return; // the LF of a CR LF pair; the CR ended the line
    if (c == '\r' || c == '\n') {
        const QByteArray line = std::exchange(m_line, {});
        if (std::exchange(m_lineOverflow, false)) {
            m_context.event(
                QStringLiteral("console line longer than %1 bytes: refused").arg(MaxLine),
                EventKind::Refusal);
            clearStaged();
            m_context.answer(Refusal);
            return;
        }
        runLine(line);
        return;
    }
    if (m_line.size() < MaxLine)
        m_line.append(c);
    else
        m_lineOverflow = true;
}

void DebugConsole::runLine(const QByteArray &line)
{
    if (line.startsWith("str ") || line == "str") {
        const QByteArray piece = line.mid(4);
        if (m_staged.size() + piece.size() > MaxStaged) {
            m_stagedOverflow = true;
            m_context.answer(Refusal);
            return;
        }
        m_staged += piece;
        m_context.answer(Prompt);
        return;
    }
    const QList<QByteArray> words = line.simplified().split(' ');
    if (words.size() == 1 && words[0].isEmpty()) {
        m_context.answer(Prompt);
        return;
    }
    if (words[0] == "memory") {
        runMemory(words);
        return;
    }
    if (words.size() == 2 && words[0] == "reset" && words[1] == "x") {
        m_context.event(QStringLiteral("reset for download: boot monitor"));
        m_context.answer(ResetAnswer);
        clearStaged();
        m_context.enter(Interface::BootMonitor);
        return;
    }
    m_context.event(QStringLiteral("unknown console command \"%1\"").arg(readableBytes(line)),
                    EventKind::Refusal);
    m_context.answer(Unknown);
}

void DebugConsole::runMemory(const QList<QByteArray> &words)
{
    std::vector<std::int64_t> args;
    for (qsizetype i = 2; i < words.size(); ++i) {
        const auto value = decimalNumber(words[i]);
        if (!value)
            break;
        args.push_back(*value);
    }
    const qsizetype numbers = words.size() - 2;
    const QByteArray verb = words.size() > 1 ? words[1] : QByteArray();
    const bool complete = qsizetype(args.size()) == numbers;
    if (verb == "write") {
        std::optional<QByteArray> text;
        if (!m_stagedOverflow)
            text = m_staged;
        clearStaged();
        const bool ok = complete && numbers == 3 &&
                        m_context.memory.commitChunk(args[0], args[1], args[2], text);
        if (!(complete && numbers == 3))
            m_context.event(QStringLiteral("malformed \"memory write\": refused"),
                            EventKind::Refusal);
        m_context.answer(ok ? Prompt : Refusal);
        return;
    }
    if ((verb == "erase" || verb == "flush") && complete && numbers == 2) {
        const bool ok =
            verb == "erase" ? m_context.memory.erase(args[0]) : m_context.memory.flush(args[0]);
        m_context.answer(ok ? Prompt : Failure);
        return;
    }
    m_context.event(
        QStringLiteral("malformed memory command \"%1\"").arg(readableBytes(words.join(' '))),
        EventKind::Refusal);
    m_context.answer(Failure);
}

} // namespace Kernwick::Sim
