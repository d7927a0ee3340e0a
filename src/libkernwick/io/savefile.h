#pragma once

#include <QByteArray>
#include <QString>

namespace Kernwick {

/// Writes `bytes` to `path` atomically: a temporary file renamed into place, so a
/// failure leaves any earlier file intact. On failure returns false and sets
/// `error` to the system's description.
bool saveFileAtomically(const QString &path, const QByteArray &bytes, QString *error);

/// Reads a whole file of at most `maxBytes`. On failure returns false and sets
/// `error` (the system's description, or a note that the file is too large).
bool readWholeFile(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *error);

} // namespace Kernwick
