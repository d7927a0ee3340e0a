#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QFile;
class QIODevice;

namespace Kernwick {

/// Writes `bytes` to `path` atomically: a temporary file renamed into place, so a
/// failure leaves any earlier file intact. On failure returns false and sets
/// `error` to the system's description.
bool saveFileAtomically(const QString &path, const QByteArray &bytes, QString *error);

/// Writes a file atomically as `write` produces it on the device it is given, so
/// a large output never has to be held in memory. When `write` returns false
/// (with its own message in `error`) or the device fails, the file at `path` is
/// unchanged and `error` says why.
bool saveFileAtomically(const QString &path,
                        const std::function<bool(QIODevice *device, QString *error)> &write,
                        QString *error);

/// The message for an input that is not a regular file (a FIFO, a device, a
/// folder): reading one could wait for ever or never end.
inline constexpr char NotARegularFile[] = "not a regular file";

/// Opens `file` (its name set) for reading when it names a regular file, or a link
/// to one. On failure returns false and sets `error` to NotARegularFile or the
/// system's description; nothing that is not a regular file is ever opened.
bool openRegularFile(QFile *file, QString *error);

/// Reads a whole regular file of at most `maxBytes`. On failure returns false and
/// sets `error` (the system's description, NotARegularFile, or a note that the
/// file is too large).
bool readWholeFile(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *error);

} // namespace Kernwick
