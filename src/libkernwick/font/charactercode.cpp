#include "libkernwick/font/charactercode.h"

#include "libkernwick/font/font.h"

#include <QList>

namespace Kernwick {

std::optional<int> characterCodeFrom(const QString &typed)
{
    const QString text = typed.trimmed();
    bool ok = false;
    int code = -1;
    const bool hexadecimal =
        text.size() > 2 && (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ||
                            text.startsWith(QLatin1String("U+"), Qt::CaseInsensitive));
    if (hexadecimal) {
        code = text.mid(2).toInt(&ok, 16);
    } else if (text.size() > 1 && text.front().isDigit()) {
        code = text.toInt(&ok, 10);
    } else {
        // One character, a surrogate pair included; a lone digit is the digit itself.
        const QList<uint> points = text.toUcs4();
        ok = points.size() == 1;
        code = ok ? int(points.front()) : -1;
    }
    if (!ok || code < 0 || code > MaxCharacterCode)
        return std::nullopt;
    return code;
}

QString missingCharacterMessage(int code)
{
    return QStringLiteral("The font has no character with the code %1 (U+%2).")
        .arg(code)
        .arg(QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

} // namespace Kernwick
