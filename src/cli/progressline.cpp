#include "progressline.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace Kernwick::Cli {

namespace {

// Carriage return to the line's start; ESC "[K" clears to its end.
constexpr char LineStart[] = "\r";
constexpr char ClearToEnd[] = "\x1b[K";

} // namespace

QString progressLineText(const TransferProgress &progress, int width)
{
    QString text = progressText(progress);
    if (width > 0 && text.size() > width)
        text.truncate(width);
    return text;
}

bool isTerminal(std::FILE *stream)
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stream)) != 0;
#else
    return ::isatty(::fileno(stream)) != 0;
#endif
}

int terminalWidth(std::FILE *stream)
{
#ifdef Q_OS_WIN
    CONSOLE_SCREEN_BUFFER_INFO info;
    HANDLE handle = HANDLE(_get_osfhandle(_fileno(stream)));
    if (GetConsoleScreenBufferInfo(handle, &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
#else
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
#endif
    return 80;
}

ProgressLine::ProgressLine(ProgressStyle style, std::FILE *stream)
    : m_style(style), m_stream(stream)
{
}

void ProgressLine::show(const TransferProgress &progress)
{
    m_last = progress;
    m_shown = true;
    if (m_style == ProgressStyle::Live) {
        redraw();
    } else if (m_style == ProgressStyle::Plain) {
        const int tenth = progress.percent() / 10;
        if (tenth > m_printedTenth) {
            m_printedTenth = tenth;
            write(progressLineText(progress) + QLatin1Char('\n'));
        }
    }
}

void ProgressLine::clear()
{
    if (!m_drawn)
        return;
    m_drawn = false;
    write(QString::fromLatin1(LineStart) + QString::fromLatin1(ClearToEnd));
}

void ProgressLine::redraw()
{
    if (m_style != ProgressStyle::Live || !m_shown)
        return;
    // One column short of the width, so the cursor never wraps to a new line.
    write(QString::fromLatin1(LineStart) + progressLineText(m_last, terminalWidth(m_stream) - 1) +
          QString::fromLatin1(ClearToEnd));
    m_drawn = true;
}

void ProgressLine::restart()
{
    clear();
    m_shown = false;
    m_printedTenth = -1;
}

void ProgressLine::write(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), m_stream);
    std::fflush(m_stream);
}

} // namespace Kernwick::Cli
