#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace Kernwick {

/// The largest boot script file that is read. A boot script is a few lines of
/// text; this is as much as the board takes in one string, and far more than can
/// be sent in reasonable time at 20 ms a byte.
inline constexpr qint64 MaxBootScriptFileBytes = 64 * 1024;

/// The script held by a boot script file's bytes: the file is read in pieces of
/// 10 bytes, and a NUL drops the rest of the piece in which it stands. Everything
/// else, ESC bytes and CR LF pairs included, is kept as it is.
QByteArray decodeBootScriptFile(QByteArrayView bytes);

/// Reads the boot script file at `path` (see decodeBootScriptFile()). On failure
/// `script` is unchanged and `error` holds the system's text for the error, or a
/// note that the file is larger than MaxBootScriptFileBytes.
bool loadBootScriptFile(const QString &path, QByteArray *script, QString *error);

/// Writes `script` to `path` exactly, with no header, terminator or line-end
/// conversion, atomically: on failure the file at `path` is unchanged and `error`
/// holds the system's text.
bool saveBootScriptFile(const QString &path, const QByteArray &script, QString *error);

} // namespace Kernwick
