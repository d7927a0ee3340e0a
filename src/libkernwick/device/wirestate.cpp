#include "libkernwick/device/wirestate.h"

#include "libkernwick/device/boardprotocol.h"

namespace Kernwick {

namespace {

constexpr std::uint8_t Can = 0x18;
constexpr std::uint8_t Sub = 0x1A;

} // namespace

void WireState::setDialect(WireDialect dialect)
{
    reset();
    m_dialect = dialect;
}

void WireState::reset()
{
    m_main = Main::Text;
    m_lineOpen = false;
    m_commandOpen = false;
    m_transferOpen = false;
}

void WireState::written(std::uint8_t byte)
{
    switch (m_dialect) {
    case WireDialect::Raw:
        return;
    case WireDialect::Console:
        m_lineOpen = byte != '\r' && byte != '\n';
        return;
    case WireDialect::BootMonitor:
        // The monitor drops a half-typed command at CR, LF or ESC.
        if (byte == '#' || byte == '\r' || byte == '\n' || byte == ControlByte::Esc)
            m_commandOpen = false;
        else if (byte >= 0x20 && byte < 0x7F)
            m_commandOpen = true;
        return;
    case WireDialect::MainPort:
        break;
    }

    switch (m_main) {
    case Main::Text:
        if (byte == ControlByte::Esc)
            m_main = Main::Escape;
        break;
    case Main::Escape:
        if (byte == '[')
            m_main = Main::Sequence;
        else if (byte == 'X')
            m_main = Main::Frame;
        else if (byte != ControlByte::Esc)
            m_main = Main::Text;
        break;
    case Main::Sequence:
        // Parameter and intermediate bytes go on; a final byte ends the command; ESC
        // starts the next one; any other control byte cancels it.
        if (byte == ControlByte::Esc)
            m_main = Main::Escape;
        else if (byte < 0x20 || byte > 0x3F)
            m_main = Main::Text;
        break;
    case Main::Frame:
        if (byte == ControlByte::Esc)
            m_main = Main::FrameEscape;
        else if (byte == Can || byte == Sub)
            m_main = Main::Text;
        break;
    case Main::FrameEscape:
        // Only ESC "\" ends the frame; any other ESC belongs to its text.
        if (byte == '\\')
            m_main = Main::Text;
        else if (byte != ControlByte::Esc)
            m_main = Main::Frame;
        break;
    }
}

bool WireState::betweenCommands() const
{
    switch (m_dialect) {
    case WireDialect::Raw:
        return true;
    case WireDialect::Console:
        return !m_lineOpen;
    case WireDialect::BootMonitor:
        return !m_commandOpen;
    case WireDialect::MainPort:
        return m_main == Main::Text || m_main == Main::Escape;
    }
    return true;
}

bool WireState::frameOpen() const
{
    return m_dialect == WireDialect::MainPort &&
           (m_main == Main::Frame || m_main == Main::FrameEscape);
}

QByteArray WireState::closingBytes() const
{
    if (!frameOpen())
        return {};
    return m_main == Main::FrameEscape ? QByteArray("\\") : QByteArray("\x1b\\");
}

} // namespace Kernwick
