#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QFile;
class QIODevice;

namespace Kernwick {

/// The message for a save that ran out of room (a full disk or an exhausted quota).
inline constexpr char DiskFull[] = "Destination disk drive is full.";

/// Writes `bytes` to `path` (a symbolic link's target) so that a failure leaves
/// any earlier file whole. The new file is renamed into place when that keeps the
/// old file's owner, group, mode and links; otherwise (a file with other hard
/// links, an owner that cannot be given, a folder closed to new files) the old
/// file is overwritten in place, with room for the new bytes claimed first and the
/// bytes on disk before this returns. On failure returns false and sets `error`
/// to the system's description, or DiskFull.
bool saveFileAtomically(const QString &path, const QByteArray &bytes, QString *error);

/// Saves as above what `write` produces on the device it is given, so a large
/// output need not be held in memory when the file can be renamed into place.
/// When `write` returns false (with its own message in `error`) or the device
/// fails, the file at `path` is unchanged and `error` says why.
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
