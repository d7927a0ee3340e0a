#pragma once

#include "libkernwick/programname.h"

#include <QString>

namespace Kernwick {

/// A failure that the desktop program shows as a modal message box (error icon,
/// OK button) and the command-line program prints on standard error.
struct BoxMessage
{
    QString caption;
    QString text;
    /// When the box is about a file that could not be read: its path and the
    /// system's reason, for a program that names them (the command line). The
    /// desktop program's box shows the caption and the text only.
    QString file = {};
    QString fileReason = {};

    bool operator==(const BoxMessage &) const = default;
};

/// `box`, about the file at `path` that could not be read for `reason`.
inline BoxMessage aboutFile(BoxMessage box, const QString &path, const QString &reason)
{
    box.file = path;
    box.fileReason = reason;
    return box;
}

/// A box with the program's title as its caption.
inline BoxMessage appBox(const QString &text)
{
    return {QString::fromLatin1(ApplicationTitle), text};
}

} // namespace Kernwick
