#pragma once

#include "libkernwick/device/transferprogress.h"

#include <QString>

#include <cstdio>

namespace Kernwick::Cli {

/// How a board command shows the progress of its transfer on standard error.
enum class ProgressStyle
{
    Live,  ///< one line redrawn in place (a terminal)
    Plain, ///< a line each time another tenth of the transfer is done
    Quiet  ///< nothing
};

/// The figures of a transfer as one line of text ("12 of 64 chunks (18 %), 3964
/// bytes sent, 50 bytes/s, 5 min 23 s left"), cut to `width` characters when
/// `width` is positive. Every progress line of the command line is this text.
QString progressLineText(const TransferProgress &progress, int width = 0);

/// Whether `stream` is a terminal.
bool isTerminal(std::FILE *stream);
/// The width of the terminal `stream` in columns; 80 when it cannot be told.
int terminalWidth(std::FILE *stream);

/// Shows a transfer's progress on a stream in a ProgressStyle. In the Live style
/// the line is drawn at the start of the terminal's current line, so other output
/// to the same terminal must first take it away with clear().
class ProgressLine
{
public:
    explicit ProgressLine(ProgressStyle style, std::FILE *stream = stderr);

    ProgressStyle style() const { return m_style; }
    /// Shows `progress`: redraws the live line, or prints a plain line when the
    /// transfer has reached another tenth (0 %, 10 % ... 100 %).
    void show(const TransferProgress &progress);
    /// Takes the live line off the screen (before other output, and at the end).
    void clear();
    /// Draws the live line again after other output, if a transfer is under way.
    void redraw();
    /// A new transfer begins: the next figures start its plain lines again.
    void restart();

private:
    void write(const QString &text);

    ProgressStyle m_style;
    std::FILE *m_stream;
    bool m_drawn = false;
    bool m_shown = false; ///< figures of the current transfer were shown
    TransferProgress m_last;
    int m_printedTenth = -1;
};

} // namespace Kernwick::Cli
