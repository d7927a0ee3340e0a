#include "config/scripttext.h"

namespace Kernwick {

namespace {

constexpr char16_t ControlPictures = 0x2400; // U+2400 "NUL" ... U+241F "US"
constexpr char16_t DeletePicture = 0x2421;
constexpr char Cr = '\r';
constexpr char Lf = '\n';
constexpr uchar Del = 0x7F;

bool isLineBreak(QChar c)
{
    return c == QLatin1Char(Lf) || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

} // namespace

QString scriptDisplayText(QByteArrayView script)
{
    QString shown;
    shown.reserve(script.size());
    for (qsizetype i = 0; i < script.size(); ++i) {
        const auto byte = uchar(script[i]);
        if (byte == Cr && i + 1 < script.size() && script[i + 1] == Lf) {
            shown += QLatin1Char('\n');
            ++i;
        } else if (byte < 0x20) {
            shown += QChar(char16_t(ControlPictures + byte));
        } else if (byte == Del) {
            shown += QChar(DeletePicture);
        } else {
            shown += QChar(byte);
        }
    }
    return shown;
}

QByteArray scriptBytes(QStringView shown)
{
    QByteArray bytes;
    bytes.reserve(shown.size());
    for (const QChar c : shown) {
        const char16_t code = c.unicode();
        if (isLineBreak(c)) {
            bytes += "\r\n";
        } else if (code >= ControlPictures && code < ControlPictures + 0x20) {
            bytes += char(code - ControlPictures);
        } else if (code == DeletePicture) {
            bytes += char(Del);
        } else if (code <= 0xFF) {
            bytes += char(code);
        } else {
            bytes += '?';
        }
    }
    return bytes;
}

QString shownScriptText(QStringView typed)
{
    QString text = typed.toString();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QByteArray bytes = scriptBytes(text);
    bytes.removeIf([](char c) { return c == '\0'; });
    return scriptDisplayText(bytes);
}

} // namespace Kernwick
