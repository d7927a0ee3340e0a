#pragma once

#include "libkernwick/font/font.h"

#include <QColor>
#include <QList>
#include <QRect>
#include <QString>

#include <vector>

class QPainter;

namespace Kernwick {

/// The colours of a text preview, as the board shows a font over video.
namespace PreviewColors {
/// Halftone lets half of the video through under white.
inline const QColor Halftone{255, 255, 255, 128};
inline const QColor White{255, 255, 255};
/// Pixel value 3, which only a loaded 2BPP file can hold (as the editor shows it).
inline const QColor ValueThree{255, 153, 0};
/// The box that stands for a code the font lacks.
inline const QColor Placeholder{255, 64, 160};
/// The video behind the text: dark blue at the top fading to near black.
inline const QColor VideoTop{22, 34, 70};
inline const QColor VideoBottom{6, 8, 18};
} // namespace PreviewColors

/// One line of text set in a font: glyph after glyph at their widths.
struct TextLine
{
    int height = 0;
    std::uint8_t ldepth = 0;
    /// One entry per code of the text; nullptr where the font has no glyph for it.
    std::vector<const Glyph *> glyphs;

    /// The width of the box drawn for a code the font lacks: half the height, at
    /// least 3 pixels.
    int placeholderWidth() const;
    /// The width of entry `i` in font pixels.
    int advance(std::size_t i) const;
    /// The whole line's width in font pixels.
    qint64 width() const;
};

/// The Unicode code points of `text` (typed text is UTF-16; each code point is one
/// code, surrogate pairs included).
QList<int> textCodes(const QString &text);

/// Sets `codes` in `font`. The line points into the font's glyphs, so it is good
/// only while the font is not changed.
TextLine setTextLine(const Font &font, const QList<int> &codes);

/// Fills `area` with the preview's video-like background: a dark gradient with
/// faint scan lines.
void drawVideoBackground(QPainter &painter, const QRect &area);

/// Draws `line` with its top-left corner at `origin`, every font pixel a `scale` ×
/// `scale` square: transparent pixels leave the background, halftone ones let half
/// of it through, white ones cover it; a code the font lacks is a placeholder box.
/// Only glyphs that meet `visible` are drawn.
void drawTextLine(QPainter &painter, const TextLine &line, QPoint origin, int scale,
                  const QRect &visible);

} // namespace Kernwick
