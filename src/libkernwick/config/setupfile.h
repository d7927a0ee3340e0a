#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace Kernwick {

/// The three files that prepare a board in one go. An empty path is a part that
/// was not chosen.
struct SetupBundle
{
    QString fontPath;
    QString configPath;
    QString bootScriptPath;

    bool operator==(const SetupBundle &) const = default;
};

/// The largest setup file that is read: three paths and their keys fit many times.
inline constexpr qint64 MaxSetupFileBytes = 64 * 1024;

/// The setup file's text: "Font=%s\nConfig=%s\nBoot=%s" with the three paths in
/// the system's 8-bit file name encoding, no CR and no line end after the last.
QByteArray encodeSetupFile(const SetupBundle &bundle);

/// Reads a setup file's text by position, not by key: the text ends at its first
/// NUL; its first three lines (split at LF only, so a CR stays at the end of a
/// path) hold the font, configuration and boot script paths, each the part of its
/// line after the line's first "=". A line that is missing, or that has no "=",
/// gives an empty path; lines after the third are ignored. Never fails.
SetupBundle decodeSetupFile(QByteArrayView bytes);

/// Reads the setup file at `path` (see decodeSetupFile()). On failure `bundle` is
/// unchanged and `error` holds the system's text for the error, or a note that the
/// file is larger than MaxSetupFileBytes.
bool loadSetupFile(const QString &path, SetupBundle *bundle, QString *error);

/// Writes `bundle` to `path` atomically: on failure the file at `path` is
/// unchanged and `error` holds the system's text.
bool saveSetupFile(const QString &path, const SetupBundle &bundle, QString *error);

} // namespace Kernwick
