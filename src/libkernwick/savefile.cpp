#include "savefile.h"

#include <QFile>
#include <QSaveFile>

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

bool readWholeFile(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    if (file.size() > maxBytes) {
        *error = QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(maxBytes);
        return false;
    }
    // Read one byte past the limit so a file that grows (or a device that does not
    // report its size) is still caught.
    *bytes = file.read(maxBytes + 1);
    if (bytes->size() > maxBytes) {
        *error = QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(maxBytes);
        return false;
    }
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace Kernwick
