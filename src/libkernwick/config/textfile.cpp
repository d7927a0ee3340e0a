#include "libkernwick/config/textfile.h"

#include "libkernwick/io/savefile.h"

#include <QFileInfo>

#include <algorithm>

namespace Kernwick {

QByteArray pieceText(QByteArrayView bytes)
{
    QByteArray text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size(); at += FilePieceBytes) {
        const QByteArrayView piece = bytes.sliced(at, std::min(FilePieceBytes, bytes.size() - at));
        const qsizetype nul = piece.indexOf('\0');
        text.append(nul < 0 ? piece : piece.first(nul));
    }
    return text;
}

bool readBoundedFile(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *error)
{
    const auto tooLarge = [&] {
        *error = QStringLiteral("%1: the file is larger than %2 bytes").arg(path).arg(maxBytes);
        return false;
    };
    // The size is checked first so that the message names the file; the read
    // checks again, for files that grow and devices that report no size.
    bytes->clear();
    const QFileInfo info(path);
    if (info.isFile() && info.size() > maxBytes)
        return tooLarge();
    if (readWholeFile(path, maxBytes, bytes, error))
        return true;
    if (bytes->size() > maxBytes)
        return tooLarge();
    return false;
}

} // namespace Kernwick
