#pragma once

#include <QByteArray>
#include <QString>

namespace Kernwick::Sim {

/// A pseudo-terminal whose slave side a serial client opens as its port.
///
/// The simulator keeps one descriptor of the slave open for the terminal's whole
/// life, in raw mode: the line discipline then never echoes or translates, and the
/// master never reads an error while no client is attached.
///
/// A client that dies while holding exclusive use of the terminal leaves the flag
/// set, and the terminal lives on with the simulator (a real port drops it when its
/// last user closes): every later client would be locked out. So the terminal
/// watches the slave's closes and clears the flag after each one.
class PseudoTerminal
{
public:
    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;
    ~PseudoTerminal() { close(); }

    /// Opens the master (non-blocking) and the slave. On failure returns false and
    /// sets `error`.
    bool open(QString *error);
    /// Closes both sides; a client attached to the slave sees the line hang up.
    void close();

    bool isOpen() const { return m_master >= 0; }
    /// The master's descriptor, for poll(), read() and write().
    int masterFd() const { return m_master; }
    /// The slave's device path, such as "/dev/pts/3".
    QString slavePath() const { return m_slavePath; }

    /// A descriptor that becomes readable when a client closes the slave, or -1
    /// when the system cannot watch it.
    int watchFd() const { return m_watch; }
    /// Reads the close notices; after any, clears exclusive use of the slave (a
    /// client that still has it open loses nothing else) and returns true.
    bool releaseAfterClose();

private:
    int m_master = -1;
    int m_slave = -1;
    int m_watch = -1;
    QString m_slavePath;
};

} // namespace Kernwick::Sim
