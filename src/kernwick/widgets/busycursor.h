#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace Kernwick {

/// Shows the wait cursor over the whole program while it lives, for work on the
/// window's thread long enough to notice. `show` false makes it do nothing, so a
/// caller can decide at run time without a second code path.
class BusyCursor
{
public:
    explicit BusyCursor(bool show = true) : m_shown(show)
    {
        if (m_shown)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyCursor()
    {
        if (m_shown)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    bool m_shown;
};

} // namespace Kernwick
