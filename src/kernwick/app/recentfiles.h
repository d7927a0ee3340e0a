#pragma once

#include "widgets/settings.h"

#include <QObject>
#include <QStringList>

namespace Kernwick {

/// The four most recently opened or saved font files, newest first, kept in the
/// settings store under "Local AppWizard-Generated Applications".
class RecentFiles : public QObject
{
    Q_OBJECT

public:
    static constexpr int Capacity = 4;
    static constexpr const char *Organization = SettingsOrganization;
    static constexpr const char *Application = SettingsApplication;

    explicit RecentFiles(QObject *parent = nullptr);

    QStringList files() const { return m_files; }
    /// Puts `path` first (moving it up if it is already listed) and saves the list.
    void add(const QString &path);
    /// Takes `path` off the list (a file that could not be opened any more).
    void remove(const QString &path);

signals:
    void changed();

private:
    void store();

    QStringList m_files;
};

} // namespace Kernwick
