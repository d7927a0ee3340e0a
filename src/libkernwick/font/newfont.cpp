#include "libkernwick/font/newfont.h"

namespace Kernwick {

namespace {

QString rangeMessage(int low, int high)
{
    return QStringLiteral("Please enter an integer between %1 and %2.").arg(low).arg(high);
}

// An integer field of the dialog: a number between low and high.
bool checkInteger(const QString &text, int low, int high, int *value, QString *message)
{
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    if (!ok) {
        *message = QStringLiteral("Please enter an integer.");
        return false;
    }
    if (n < low || n > high) {
        *message = rangeMessage(low, high);
        return false;
    }
    *value = int(n);
    return true;
}

// An 8-bit field: first it must be a byte at all, then inside its own range.
bool checkByte(const QString &text, int low, int *value, QString *message)
{
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    if (!ok || n < 0 || n > 255) {
        *message = rangeMessage(0, 255);
        return false;
    }
    if (n < low) {
        *message = rangeMessage(low, 255);
        return false;
    }
    *value = int(n);
    return true;
}

} // namespace

bool checkNewFontInput(const NewFontInput &input, NewFontSpec *spec, QString *message,
                       NewFontField *field)
{
    NewFontField unused = NewFontField::Name;
    NewFontField &refused = field ? *field : unused;
    bool ascentOk = false;
    bool heightOk = false;
    const qint64 ascent = input.ascent.trimmed().toLongLong(&ascentOk);
    const qint64 height = input.height.trimmed().toLongLong(&heightOk);
    if (ascentOk && heightOk && ascent >= height) {
        *message = QStringLiteral("Error! Ascent must be less than Height");
        refused = NewFontField::Ascent;
        return false;
    }
    NewFontSpec s;
    refused = NewFontField::Chars;
    if (!checkInteger(input.chars, 1, MaxGlyphs, &s.chars, message))
        return false;
    refused = NewFontField::Name;
    const QString nameProblem = fontNameProblem(input.name);
    if (!nameProblem.isEmpty()) {
        *message = nameProblem;
        return false;
    }
    s.name = input.name.toLatin1();
    s.depth = input.depth;
    refused = NewFontField::Height;
    if (!checkByte(input.height, 1, &s.height, message))
        return false;
    refused = NewFontField::Width;
    if (!checkByte(input.width, 1, &s.width, message))
        return false;
    refused = NewFontField::First;
    if (!checkInteger(input.first, 1, 65535, &s.first, message))
        return false;
    refused = NewFontField::Ascent;
    if (!checkByte(input.ascent, 0, &s.ascent, message))
        return false;
    // Every glyph must get a code the editor can select.
    refused = NewFontField::First;
    if (s.first + s.chars - 1 > MaxCharacterCode) {
        *message = QString::fromLatin1(LastCodeTooHigh);
        return false;
    }
    *spec = s;
    return true;
}

Font makeNewFont(const NewFontSpec &spec)
{
    Font font;
    font.setName(spec.name);
    font.header.ldepth = std::uint8_t(spec.depth);
    font.header.height = std::uint8_t(spec.height);
    font.header.first = std::uint16_t(spec.first);
    font.header.ascent = std::uint8_t(spec.ascent);
    font.resizeGlyphTable(spec.chars);
    for (Glyph &g : font.glyphs)
        g.reset(spec.height, spec.width);
    font.computeFileSize();
    return font;
}

} // namespace Kernwick
