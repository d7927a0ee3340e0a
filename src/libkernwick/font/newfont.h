#pragma once

#include "libkernwick/font/font.h"

#include <QString>

namespace Kernwick {

/// What the New Font Properties dialog collects, as the user typed it.
struct NewFontInput
{
    QString name = QStringLiteral("newfont");
    int depth = 0; ///< 0 = 1BPP, 1 = 2BPP
    QString height = QStringLiteral("14");
    QString width = QStringLiteral("8");
    QString chars = QStringLiteral("95");
    QString first = QStringLiteral("32");
    QString ascent = QStringLiteral("10");
};

/// The checked values of a new font.
struct NewFontSpec
{
    QByteArray name;
    int depth = 0;
    int height = 14;
    int width = 8;
    int chars = 95;
    int first = 32;
    int ascent = 10;
};

/// The fields of the New Font Properties dialog, to point at the one refused.
enum class NewFontField
{
    Name,
    Depth,
    Height,
    Width,
    Chars,
    First,
    Ascent
};

/// The refusal of a new font whose last glyph would get a code above 65535.
inline constexpr char LastCodeTooHigh[] = "The last character code must not exceed 65535.";

/// Checks the input as the dialog does and in its order (ascent below height,
/// then characters, name, height, width, first encoding, ascent), and last that
/// every glyph gets a code of at most 65535. On failure returns false with the
/// dialog's message, e.g. "Error! Ascent must be less than Height" or "Please
/// enter an integer between 1 and 65535.".
/// `field` (optional) gets the field the message is about.
bool checkNewFontInput(const NewFontInput &input, NewFontSpec *spec, QString *message,
                       NewFontField *field = nullptr);

/// A new font: every glyph `width` wide with `height` transparent rows.
Font makeNewFont(const NewFontSpec &spec);

} // namespace Kernwick
