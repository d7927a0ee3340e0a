#pragma once

#include "libkernwick/font/font.h"
#include "libkernwick/font/threshold.h"

#include <QByteArray>
#include <QImage>
#include <QRawFont>
#include <QString>

namespace Kernwick {

/// The largest font file a typeface import reads.
inline constexpr qint64 MaxTypefaceFileBytes = qint64(64) * 1024 * 1024;
/// The most pixels (over all glyphs) a typeface import may build.
inline constexpr qint64 MaxTypefacePixels = qint64(1) << 27;

/// A typeface to render glyphs from: a font file Qt can load (TrueType, OpenType,
/// Type 1 ...) or a family installed on the system. Needs a GUI application object.
class Typeface
{
public:
    Typeface() = default;

    /// Loads `source`: an existing file is read as a font file, anything else is
    /// taken as the name of an installed family (any letter case). On failure
    /// returns false with `error` set and leaves `typeface` unchanged.
    static bool load(const QString &source, Typeface *typeface, QString *error);

    bool isValid() const { return m_reference.isValid(); }
    /// The typeface's family name.
    QString family() const { return m_reference.familyName(); }

    /// The typeface at `pixelSize` pixels per em, fully hinted.
    QRawFont atPixelSize(qreal pixelSize) const;
    /// The pixel size at which the typeface's ascent and descent together fill
    /// `height` pixels.
    qreal pixelSizeForHeight(int height) const;

private:
    QByteArray m_fileData; ///< the font file; empty for an installed family
    QString m_installedFamily;
    QRawFont m_reference; ///< at its own units per em, for proportions
};

/// What a typeface import makes: the Import Typeface dialog's choices and the
/// command line's options.
struct TypefaceChoice
{
    int height = 14;           ///< the font's Height, 1 to 255
    int first = 32;            ///< the code of the first glyph
    int count = 95;            ///< the number of glyphs, 1 to 65535 (unless allCodes)
    bool allCodes = false;     ///< every code from `first` to the typeface's last one
    ThresholdChoice threshold; ///< threeColour makes a 2BPP font, else 1BPP
    bool antialiased = true;   ///< coverage thresholded; otherwise drawn in one bit
    QString name;              ///< empty: the family name, cut to 11 characters
};

/// Checks a choice: the Height, the first code and the count ("Please enter an
/// integer between 1 and 255." and the like), the thresholds, the name, and that
/// the last code stays at most 65535. Returns the message, or an empty text.
QString typefaceChoiceProblem(const TypefaceChoice &choice);

/// The font name an import gives when none is chosen: the family name in Latin-1,
/// cut to MaxFontNameLength characters.
QString defaultTypefaceFontName(const Typeface &typeface);

/// Renders single glyphs of a typeface at one cell height, as the import does.
///
/// The typeface is sized so that its ascent and descent fill the cell; the
/// baseline falls below the row that rounding the ascent gives, and the font's
/// Ascent is that row. Each character is drawn by Qt with full hinting at its
/// origin on the left edge of a cell of its advance (at most 255), either
/// anti-aliased and its coverage thresholded as a picture's grey levels are (white
/// from the white threshold up, halftone above the black threshold in 2BPP), or
/// drawn in one bit by the typeface's monochrome rendering.
class TypefaceRenderer
{
public:
    TypefaceRenderer(const Typeface &typeface, const TypefaceChoice &choice);

    /// The font's Ascent: the last row above the baseline.
    int ascent() const { return m_baseline - 1; }
    int height() const { return m_height; }
    std::uint8_t ldepth() const { return m_ldepth; }
    /// Whether the typeface has a character for `code`.
    bool hasCharacter(int code) const;
    /// The glyph for `code`; a code the typeface lacks gives a glyph of width 0.
    Glyph glyph(int code);

private:
    QRawFont m_font;
    int m_height = 0;
    int m_baseline = 1;
    std::uint8_t m_ldepth = 0;
    bool m_antialiased = true;
    ThresholdChoice m_threshold;
    QImage m_canvas;
};

/// The last code from `first` on (at most 65535) that the typeface has, or -1.
int lastTypefaceCode(const Typeface &typeface, int first);

/// Makes a font of `choice.count` glyphs (or every code the typeface has from the
/// first on) rendered from `typeface`: Height and Ascent as the renderer gives them,
/// Skip 0, every Left 0, the chosen name and its file size computed. On success
/// `*font` is replaced; on failure it is untouched and `error` says why (a refused
/// choice, no character from the first code on, or more than MaxTypefacePixels
/// pixels).
bool importTypeface(const Typeface &typeface, const TypefaceChoice &choice, Font *font,
                    QString *error);

} // namespace Kernwick
