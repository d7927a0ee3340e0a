#include "libkernwick/io/savefile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace Kernwick {

bool saveFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

bool saveFileAtomically(const QString &path,
                        const std::function<bool(QIODevice *device, QString *error)> &write,
                        QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    if (!write(&file, error)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

bool openRegularFile(QFile *file, QString *error)
{
    // Opening a FIFO waits for a writer, and a device may never end: look first.
    const QFileInfo info(file->fileName());
    if (info.exists() && !info.isFile()) {
        *error = QString::fromLatin1(NotARegularFile);
        return false;
    }
    if (!file->open(QIODevice::ReadOnly)) {
        *error = file->errorString();
        return false;
    }
    return true;
}

bool readWholeFile(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!openRegularFile(&file, error))
        return false;
    if (file.size() > maxBytes) {
        *error = QStringLiteral("the file is larger than %1 bytes").arg(maxBytes);
        return false;
    }
    // Read in pieces up to one byte past the limit: a file that grows, or a device
    // that does not report its size, is still caught without a huge allocation.
    bytes->clear();
    while (bytes->size() <= maxBytes) {
        const QByteArray piece = file.read(std::min<qint64>(1 << 16, maxBytes + 1 - bytes->size()));
        if (piece.isEmpty())
            break;
        *bytes += piece;
    }
    if (bytes->size() > maxBytes) {
        *error = QStringLiteral("the file is larger than %1 bytes").arg(maxBytes);
        return false;
    }
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace Kernwick
