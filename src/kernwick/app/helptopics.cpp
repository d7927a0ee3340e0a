#include "app/helptopics.h"

#include "widgets/messages.h"

#include "libkernwick/programname.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace Kernwick {

QString helpIndexPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Doc/index.htm"));
}

void openHelpTopics(QWidget *parent, const QString &index, const UrlOpener &open)
{
    const QString title = QString::fromLatin1(ApplicationTitle);
    QFile page(index);
    if (!page.open(QIODevice::ReadOnly)) {
        showMessage(parent,
                    {title, QStringLiteral("Help files not found"), MessageIcon::Information});
        return;
    }
    page.close();
    const QUrl address = QUrl::fromLocalFile(QFileInfo(index).absoluteFilePath());
    const bool opened = open ? open(address) : QDesktopServices::openUrl(address);
    if (!opened) {
        // Without a browser the user can still read the page: say where it is.
        showMessage(parent, {title,
                             QStringLiteral("No web browser could be started to show the "
                                            "help. Open this file in one:\n%1")
                                 .arg(QDir::toNativeSeparators(address.toLocalFile())),
                             MessageIcon::Information});
    }
}

} // namespace Kernwick
