#include "app/helptopics.h"

#include "widgets/messages.h"

#include "libkernwick/programname.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QUrl>

namespace Kernwick {

QString helpIndexPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Doc/index.htm"));
}

void openHelpTopics(QWidget *parent)
{
    QFile index(helpIndexPath());
    if (index.open(QIODevice::ReadOnly)) {
        index.close();
        QDesktopServices::openUrl(QUrl::fromLocalFile(index.fileName()));
        return;
    }
    showMessage(parent, {QString::fromLatin1(ApplicationTitle),
                         QStringLiteral("Help files not found"), MessageIcon::Information});
}

} // namespace Kernwick
