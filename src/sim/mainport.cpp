#include "mainport.h"

#include "boardcodec.h"
#include "boardcontext.h"

namespace Kernwick::Sim {

using namespace Ascii;

namespace {

constexpr qsizetype MaxSequence = 32;
constexpr qsizetype MaxFrame = 64 * 1024;

const QByteArray Identification = "ZUVO v4.12\r\n";
const QByteArray WrongIdentification = "ZUVO v3.1\r\n";

QString controlName(char c)
{
    if (c == Can)
        return QStringLiteral("CAN");
    if (c == Sub)
        return QStringLiteral("SUB");
    return readableBytes(QByteArrayView(&c, 1));
}

} // namespace

MainPort::MainPort(BoardContext &context) : m_context(context)
{
}

void MainPort::enter()
{
    resetParser();
}

void MainPort::tick(Clock::time_point now)
{
    const std::optional<Clock::time_point> deadline = nextDeadline();
    if (!deadline || now < *deadline)
        return;
    m_context.event(QStringLiteral("unfinished %1 dropped after %2 ms of silence")
                        .arg(unfinished())
                        .arg(m_context.faults.idleDrop->count()),
                    EventKind::Refusal);
    resetParser();
}

std::optional<Clock::time_point> MainPort::nextDeadline() const
{
    if (!m_context.faults.idleDrop || unfinished().isEmpty())
        return std::nullopt;
    return m_context.lastInput + *m_context.faults.idleDrop;
}

QString MainPort::unfinished() const
{
    switch (m_state) {
    case State::Text:
    case State::Escape: // a lone ESC: the next byte decides whether a command starts
        break;
    case State::Sequence:
        return QStringLiteral("escape command \"ESC[%1\"").arg(readableBytes(m_sequence));
    case State::Frame:
    case State::FrameEscape:
        return QStringLiteral("string frame (%1 bytes)").arg(m_frame.size());
    }
    return {};
}

void MainPort::reportUnfinished(const QString &occasion)
{
    if (const QString what = unfinished(); !what.isEmpty())
        m_context.event(QStringLiteral("unfinished %1 left open %2").arg(what, occasion));
}

void MainPort::cut(const QString &by)
{
    m_context.event(QStringLiteral("unfinished %1 cut by %2").arg(unfinished(), by),
                    EventKind::Refusal);
}

void MainPort::resetParser()
{
    m_state = State::Text;
    m_sequence.clear();
    m_frame.clear();
    m_frameOverflow = false;
}

void MainPort::receive(char c)
{
    switch (m_state) {
    case State::Text:
        // Plain text is what the board overlays on the video; nothing to answer.
        if (c == Esc)
            m_state = State::Escape;
        break;
    case State::Escape:
        if (c == '[') {
            m_sequence.clear();
            m_state = State::Sequence;
        } else if (c == 'X') {
            m_frame.clear();
            m_frameOverflow = false;
            m_state = State::Frame;
        } else if (c != Esc) {
            m_state = State::Text;
        }
        break;
    case State::Sequence: {
        const auto b = std::uint8_t(c);
        if (c == Esc) {
            cut(QStringLiteral("ESC"));
            m_state = State::Escape;
        } else if (b >= 0x20 && b <= 0x3F) {
            // Parameter and intermediate bytes; an intermediate makes it unknown later.
            if (m_sequence.size() >= MaxSequence) {
                m_context.event(QStringLiteral("escape command too long: ignored"),
                                EventKind::Refusal);
                m_state = State::Text;
            } else {
                m_sequence.append(c);
            }
        } else if (b >= 0x40 && b <= 0x7E) {
            m_state = State::Text;
            runSequence(c);
        } else {
            // CAN, SUB or any other control byte cancels the command.
            cut(controlName(c));
            m_state = State::Text;
        }
        break;
    }
    case State::Frame:
        if (c == Esc)
            m_state = State::FrameEscape;
        else if (c == Can || c == Sub) {
            cut(controlName(c));
            resetParser();
        } else if (m_frame.size() < MaxFrame)
            m_frame.append(c);
        else
            m_frameOverflow = true;
        break;
    case State::FrameEscape:
        if (c == '\\') {
            if (m_frameOverflow) {
                m_context.event(
                    QStringLiteral("string frame longer than %1 bytes: dropped").arg(MaxFrame),
                    EventKind::Refusal);
                m_pendingString.reset();
            } else {
                m_pendingString = m_frame;
            }
            resetParser();
            break;
        }
        // Any other ESC belongs to the text (boot scripts carry escape commands).
        if (m_frame.size() + 2 <= MaxFrame) {
            m_frame.append(Esc);
            if (c != Esc)
                m_frame.append(c);
        } else {
            m_frameOverflow = true;
        }
        if (c != Esc)
            m_state = State::Frame;
        break;
    }
}

void MainPort::runSequence(char final)
{
    // Numbers separated by ";", "<" standing for the minus sign.
    std::vector<std::int64_t> args;
    bool wellFormed = true;
    for (const QByteArray &token : m_sequence.split(';')) {
        const bool negative = token.startsWith('<');
        const auto value = decimalNumber(QByteArrayView(token).sliced(negative ? 1 : 0));
        if (!value) {
            wellFormed = false;
            break;
        }
        args.push_back(negative ? -*value : *value);
    }
    const QString shown = QStringLiteral("ESC[%1%2").arg(readableBytes(m_sequence), QChar(final));

    switch (final) {
    case '}':
        if (wellFormed && args == std::vector<std::int64_t>{1}) {
            m_context.answer(m_context.faults.wrongId ? WrongIdentification : Identification);
            return;
        }
        break;
    case 'v':
        if (!wellFormed)
            break;
        if (args.size() == 1 && args[0] == 1) {
            QByteArray text;
            for (const auto &[number, value] : m_config)
                text += QByteArray::number(number) + '=' + QByteArray::number(value) + '\n';
            m_context.recorder.record(QStringLiteral("config.txt"), text);
            m_context.event(
                QStringLiteral("configuration saved (%1 parameters)").arg(m_config.size()));
            return;
        }
        if (args.size() == 1 && args[0] == 8) {
            if (!m_pendingString) {
                m_context.event(
                    QStringLiteral("boot script command without a string frame: ignored"),
                    EventKind::Refusal);
                return;
            }
            m_bootScript = *std::exchange(m_pendingString, std::nullopt);
            m_context.recorder.record(QStringLiteral("bootscript.bin"), *m_bootScript);
            m_context.event(
                QStringLiteral("boot script taken (%1 bytes)").arg(m_bootScript->size()));
            return;
        }
        if (args.size() == 2 && args[0] >= 9 && args[0] <= 63 && args[1] >= INT32_MIN &&
            args[1] <= INT32_MAX) {
            m_config[int(args[0])] = std::int32_t(args[1]);
            return;
        }
        break;
    case '|':
        if (!args.empty() && (args[0] == 91 || args[0] == 92 || args[0] == 93)) {
            runMemoryCommand(args, wellFormed);
            return;
        }
        if (wellFormed && args == std::vector<std::int64_t>{8265, 1}) {
            m_context.event(QStringLiteral("reset for download: boot monitor"));
            resetParser();
            m_pendingString.reset();
            m_context.enter(Interface::BootMonitor);
            return;
        }
        break;
    default:
        break;
    }
    m_context.event(QStringLiteral("ignored %1").arg(shown), EventKind::Refusal);
}

void MainPort::runMemoryCommand(const std::vector<std::int64_t> &args, bool wellFormed)
{
    const std::int64_t command = args[0];
    const size_t expected = command == 91 ? 4 : 3;
    bool ok = wellFormed && args.size() == expected;
    for (size_t i = 1; ok && i < args.size(); ++i)
        ok = args[i] >= 0;
    if (!ok) {
        m_context.event(QStringLiteral("malformed memory command %1: NAK").arg(command),
                        EventKind::Refusal);
        if (command == 91)
            m_pendingString.reset();
        m_context.answer(QByteArray(1, Nak));
        return;
    }
    bool accepted = false;
    if (command == 93)
        accepted = m_context.memory.erase(args[1]);
    else if (command == 92)
        accepted = m_context.memory.flush(args[1]);
    else
        accepted = m_context.memory.commitChunk(args[1], args[2], args[3],
                                                std::exchange(m_pendingString, std::nullopt));
    m_context.answer(QByteArray(1, accepted ? Ack : Nak));
}

} // namespace Kernwick::Sim
