#include "app/recentfiles.h"

#include <QFileInfo>
#include <QSettings>

namespace Kernwick {

namespace {

QString key(int i)
{
    return QStringLiteral("Recent File List/File%1").arg(i + 1);
}

} // namespace

RecentFiles::RecentFiles(QObject *parent) : QObject(parent)
{
    const QSettings store = programSettings();
    for (int i = 0; i < Capacity; ++i) {
        const QString path = store.value(key(i)).toString();
        if (!path.isEmpty())
            m_files.append(path);
    }
}

void RecentFiles::add(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_files.removeAll(absolute);
    m_files.prepend(absolute);
    while (m_files.size() > Capacity)
        m_files.removeLast();
    store();
}

void RecentFiles::remove(const QString &path)
{
    if (m_files.removeAll(path) > 0)
        store();
}

void RecentFiles::store()
{
    QSettings store = programSettings();
    for (int i = 0; i < Capacity; ++i) {
        if (i < m_files.size())
            store.setValue(key(i), m_files[i]);
        else
            store.remove(key(i));
    }
    emit changed();
}

} // namespace Kernwick
