#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace Kernwick::Sim {

class BoardContext;

/// The board's debug console: text lines ended by CR, LF or CR LF, answered with
/// the prompt "zuvo>". "str" lines stage chunk text for the next "memory write";
/// "memory erase", "memory flush" and "reset x" (enter the boot monitor) are the
/// other commands it knows.
class DebugConsole
{
public:
    explicit DebugConsole(BoardContext &context);

    /// The line is handed to the console: it starts at the beginning of a line.
    void enter();
    void receive(char c);
    /// Leaves an "unfinished" event for a line begun and not ended, left open
    /// `occasion` (such as "when the line was closed"). It stays open.
    void reportUnfinished(const QString &occasion);

private:
    void runLine(const QByteArray &line);
    void runMemory(const QList<QByteArray> &words);
    void clearStaged();

    BoardContext &m_context;
    QByteArray m_line;
    bool m_lineOverflow = false;
    bool m_lastWasCr = false;
    QByteArray m_staged; ///< the "str" pieces since the last "memory write"
    bool m_stagedOverflow = false;
};

} // namespace Kernwick::Sim
