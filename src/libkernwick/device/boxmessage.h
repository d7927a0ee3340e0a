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

    bool operator==(const BoxMessage &) const = default;
};

/// A box with the program's title as its caption.
inline BoxMessage appBox(const QString &text)
{
    return {QString::fromLatin1(ApplicationTitle), text};
}

} // namespace Kernwick
