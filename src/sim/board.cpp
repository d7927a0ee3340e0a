#include "board.h"

#include <utility>

namespace Kernwick::Sim {

const char *interfaceName(Interface i)
{
    switch (i) {
    case Interface::MainPort:
        return "main port";
    case Interface::DebugConsole:
        return "debug console";
    case Interface::BootMonitor:
        return "boot monitor";
    }
    return "?";
}

Board::Board(Interface start, BoardFaults faults, const QString &stateDir)
    : m_context(std::move(faults), stateDir), m_mainPort(m_context), m_console(m_context),
      m_monitor(m_context), m_interface(start)
{
    // A board that starts in its boot monitor runs the main port after "g#".
    if (start == Interface::BootMonitor)
        m_monitor.enter(Interface::MainPort);
    if (!stateDir.isEmpty())
        m_context.event(QStringLiteral("board started on the %1").arg(interfaceName(start)));
}

void Board::receive(QByteArrayView bytes, Clock::time_point now)
{
    if (bytes.isEmpty())
        return;
    // Anything half-received that has gone stale is dropped before new bytes count.
    tick(now);
    m_context.lastInput = now;
    m_context.recorder.wire(bytes);
    for (const char c : bytes) {
        switch (m_interface) {
        case Interface::MainPort:
            m_mainPort.receive(c);
            break;
        case Interface::DebugConsole:
            m_console.receive(c);
            break;
        case Interface::BootMonitor:
            m_monitor.receive(c);
            break;
        }
        if (const std::optional<Interface> next = m_context.takeEntering())
            enter(*next);
    }
    m_monitor.received(now);
}

void Board::enter(Interface next)
{
    const Interface from = std::exchange(m_interface, next);
    switch (next) {
    case Interface::MainPort:
        m_mainPort.enter();
        break;
    case Interface::DebugConsole:
        m_console.enter();
        break;
    case Interface::BootMonitor:
        m_monitor.enter(from);
        break;
    }
}

void Board::tick(Clock::time_point now)
{
    switch (m_interface) {
    case Interface::MainPort:
        m_mainPort.tick(now);
        break;
    case Interface::DebugConsole:
        break;
    case Interface::BootMonitor:
        m_monitor.tick(now);
        break;
    }
}

std::optional<Clock::time_point> Board::nextDeadline() const
{
    switch (m_interface) {
    case Interface::MainPort:
        return m_mainPort.nextDeadline();
    case Interface::DebugConsole:
        break;
    case Interface::BootMonitor:
        return m_monitor.nextDeadline();
    }
    return std::nullopt;
}

void Board::reportUnfinished(const QString &occasion)
{
    switch (m_interface) {
    case Interface::MainPort:
        m_mainPort.reportUnfinished(occasion);
        break;
    case Interface::DebugConsole:
        m_console.reportUnfinished(occasion);
        break;
    case Interface::BootMonitor:
        break;
    }
}

} // namespace Kernwick::Sim
