#pragma once

#include "libkernwick/font/font.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

namespace Kernwick {

/// Where the editor view puts things, in document pixels (before scrolling).
///
/// The current glyph is drawn enlarged at the top left, one CellSize square per
/// pixel, with the information panel to its right; below them every glyph of the
/// font is drawn small (ThumbScale pixels per pixel) in a strip that breaks into
/// lines to fit the document's width.
class ViewLayout
{
public:
    static constexpr int CellSize = 10;
    static constexpr QPoint GridOrigin{20, 10};
    static constexpr int ThumbScale = 2;
    static constexpr int ThumbGap = 2;
    static constexpr int StripLeft = 20;
    static constexpr int StripRightMargin = 40;
    static constexpr QSize MinimumDocument{750, 450};
    static constexpr int InfoLineHeight = 18;
    static constexpr int InfoLines = 10;

    ViewLayout() = default;
    /// Lays out `font`: the document size and every thumbnail's place.
    explicit ViewLayout(const Font &font);

    /// The scrollable document: wide enough for the widest glyph's grid and the
    /// information panel, high enough for the whole strip.
    QSize documentSize() const { return m_documentSize; }

    /// The enlarged grid of a glyph of `width` × `height` pixels. A glyph without
    /// columns keeps one cell's width, as the frame around it needs an inside.
    static QRect gridRect(int width, int height);
    /// The cell (column, row) under `point` of a glyph of `width` × `height`, or
    /// nothing when the point lies outside the glyph's cells.
    static bool cellAt(QPoint point, int width, int height, int *column, int *row);

    /// Top of the strip: 50 below the grid, and never above 200.
    int stripTop() const { return m_stripTop; }
    /// The thumbnail of glyph `index`; empty for a glyph of width 0, which takes no
    /// room and cannot be picked.
    QRect thumbnail(int index) const { return m_thumbnails[std::size_t(index)]; }
    int glyphCount() const { return int(m_thumbnails.size()); }
    /// The first glyph, in table order, whose thumbnail contains `point`; -1 when
    /// none does.
    int glyphAt(QPoint point) const;

    /// Strip lines: line k holds the glyphs from lineStart(k) up to lineStart(k + 1).
    int lineCount() const { return int(m_lineStarts.size()); }
    int lineStart(int line) const { return m_lineStarts[std::size_t(line)]; }
    int lineTop(int line) const { return m_lineTops[std::size_t(line)]; }
    /// The glyphs whose lines meet the vertical span [top, bottom): [first, last).
    std::pair<int, int> glyphsBetween(int top, int bottom) const;

private:
    QSize m_documentSize = MinimumDocument;
    int m_stripTop = 200;
    std::vector<QRect> m_thumbnails;
    std::vector<int> m_lineStarts;
    std::vector<int> m_lineTops;
    std::vector<int> m_lineBottoms;
};

} // namespace Kernwick
