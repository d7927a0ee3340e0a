#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace Kernwick {

/// Bytes in each piece that the board's text files (configurations, boot scripts)
/// have always been read in.
inline constexpr qsizetype FilePieceBytes = 10;

/// A text file's bytes as the 10-byte piece reads take them: each piece up to its
/// first NUL, so a NUL drops the rest of its own piece only.
QByteArray pieceText(QByteArrayView bytes);

/// Reads the whole file at `path` when it holds at most `maxBytes`. On failure
/// returns false with `error` set to the system's text for the error, or to
/// "<path>: the file is larger than <maxBytes> bytes" (the form configuration and
/// font files use); `bytes` is then unspecified.
bool readBoundedFile(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *error);

} // namespace Kernwick
