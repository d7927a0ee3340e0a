#pragma once

#include "libkernwick/font/font.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <vector>

namespace Kernwick {

/// The room glyph labels need under the thumbnails, in screen pixels (labels keep
/// their size at every zoom). All zero: no labels.
struct GlyphLabelMetrics
{
    int lineHeight = 0;     ///< one text line; a label is two: the character, then the code
    int digitWidth = 0;     ///< the widest hexadecimal digit
    int characterWidth = 0; ///< room for one character
    bool shown() const { return lineHeight > 0; }
};

/// A glyph label's first line: the character of `code`, or nothing for a control
/// character, an unassigned or unprintable code, or one beyond Unicode.
QString glyphLabelCharacter(int code);
/// A glyph label's second line: the code in hexadecimal, two digits at least ("C9",
/// "20AC", "1F600").
QString glyphLabelCode(int code);

/// Where the editor view puts things, in document pixels (before scrolling).
///
/// The current glyph is drawn enlarged at the top left, one cell per pixel, with
/// the information panel to its right; below them every glyph of the font is drawn
/// small in a strip that breaks into lines to fit the document's width. Zoom scales
/// the cells and the thumbnails: at 100 % a cell is CellSize pixels and a thumbnail
/// ThumbScale pixels per glyph pixel; the margins stay as they are.
///
/// With glyph labels each glyph of the strip takes a column as wide as its
/// thumbnail or its label, whichever is wider, with the thumbnail centred in it and
/// the label in a row of its own under the line's thumbnails.
class ViewLayout
{
public:
    static constexpr int CellSize = 10;
    static constexpr QPoint GridOrigin{20, 10};
    static constexpr int ThumbScale = 2;
    static constexpr int ThumbGap = 2;
    static_assert(ThumbGap == ThumbScale, "the gap is one thumbnail pixel");
    static constexpr int StripLeft = 20;
    static constexpr int StripRightMargin = 40;
    static constexpr QSize MinimumDocument{750, 450};
    static constexpr int InfoLineHeight = 18;
    static constexpr int InfoLines = 10;
    /// Room around a glyph label's text: above it, and shared by its two sides.
    static constexpr int LabelPadding = 2;

    /// The zoom levels, in percent: each keeps cells and thumbnail pixels whole
    /// screen pixels.
    static constexpr std::array<int, 10> ZoomSteps{50, 100, 150, 200, 250, 300, 400, 500, 600, 800};
    static constexpr int ActualSize = 100;
    /// The next zoom step above (below) `percent`; `percent` itself at the end.
    static int zoomedIn(int percent);
    static int zoomedOut(int percent);

    ViewLayout() = default;
    /// Lays out `font` at `zoom` percent (one of ZoomSteps): the document size and
    /// every thumbnail's place. The document is at least `width` wide (the view's
    /// width, so the strip uses it all), and never narrower than the grid and the
    /// information panel need or MinimumDocument.
    /// With `labels` shown, every strip line gets a label row under it.
    explicit ViewLayout(const Font &font, int zoom = ActualSize, int width = 0,
                        const GlyphLabelMetrics &labels = {});

    int zoom() const { return m_zoom; }
    /// The side of one enlarged cell, and the thumbnails' pixels per glyph pixel.
    int cellSize() const { return m_cellSize; }
    int thumbScale() const { return m_thumbScale; }

    /// The scrollable document: wide enough for the widest glyph's grid and the
    /// information panel, high enough for the whole strip.
    QSize documentSize() const { return m_documentSize; }

    /// The enlarged grid of a glyph of `width` × `height` pixels. A glyph without
    /// columns keeps one cell's width, as the frame around it needs an inside.
    static QRect gridRect(int width, int height, int cellSize = CellSize);
    /// The cell (column, row) under `point` of a glyph of `width` × `height`, or
    /// nothing when the point lies outside the glyph's cells.
    static bool cellAt(QPoint point, int width, int height, int *column, int *row,
                       int cellSize = CellSize);
    /// The same at this layout's zoom.
    QRect grid(int width, int height) const { return gridRect(width, height, m_cellSize); }
    bool cell(QPoint point, int width, int height, int *column, int *row) const
    {
        return cellAt(point, width, height, column, row, m_cellSize);
    }

    /// Top of the strip: 50 below the grid, and never above 200.
    int stripTop() const { return m_stripTop; }
    /// The thumbnail of glyph `index`; empty for a glyph of width 0, which takes no
    /// room and cannot be picked.
    QRect thumbnail(int index) const { return m_thumbnails[std::size_t(index)]; }
    int glyphCount() const { return int(m_thumbnails.size()); }
    /// The first glyph, in table order, whose thumbnail or label contains `point`;
    /// -1 when none does.
    int glyphAt(QPoint point) const;
    /// Whether the strip has a label row under each line, and its height.
    bool showsLabels() const { return m_labelHeight > 0; }
    int labelHeight() const { return m_labelHeight; }
    /// The label under glyph `index`'s thumbnail: its column's width, the label
    /// row's height; empty without labels or for a glyph of width 0.
    QRect label(int index) const;
    /// The thumbnail and its label together (the thumbnail alone without labels).
    QRect glyphArea(int index) const;

    /// Strip lines: line k holds the glyphs from lineStart(k) up to lineStart(k + 1).
    int lineCount() const { return int(m_lineStarts.size()); }
    int lineStart(int line) const { return m_lineStarts[std::size_t(line)]; }
    int lineTop(int line) const { return m_lineTops[std::size_t(line)]; }
    /// The height of a strip line's thumbnails, and the step from one line to the
    /// next (past the label row, when there is one).
    int lineHeight() const { return m_thumbScale * m_fontHeight; }
    int linePitch() const { return lineHeight() + m_labelHeight + thumbGap(); }
    /// The room between thumbnails and between strip lines: one thumbnail pixel,
    /// ThumbGap at 100 %. Keeping it whole thumbnail pixels lets a strip line be
    /// drawn as one picture of the glyphs' pixels, enlarged.
    int thumbGap() const { return m_thumbScale; }
    /// The glyphs whose lines meet the vertical span [top, bottom): [first, last).
    std::pair<int, int> glyphsBetween(int top, int bottom) const;

    /// The line that holds glyph `index`.
    int lineOf(int index) const;
    /// The line at or just above document height `y` (0 above the strip).
    int lineAtHeight(int y) const;
    /// Where glyph `index` sits in the strip: its thumbnail, or for a glyph of width
    /// 0 a one-pixel-wide box where it would start.
    QRect glyphBox(int index) const;
    /// The glyph of `line` nearest to document column `x`: the first whose box
    /// reaches past it, else the line's last glyph.
    int glyphNear(int line, int x) const;

    /// Where `point`, a document point of the layout `from` (the same font at another
    /// zoom), lies in this layout: above the strip, the same spot of the same grid
    /// cell; in the strip, the same spot of the same pixel of the glyph under it (or
    /// of the nearest glyph on its line).
    QPoint follow(const ViewLayout &from, QPoint point) const;

private:
    int m_zoom = ActualSize;
    int m_cellSize = CellSize;
    int m_thumbScale = ThumbScale;
    int m_fontHeight = 0;
    QSize m_documentSize = MinimumDocument;
    int m_stripTop = 200;
    int m_labelHeight = 0;
    std::vector<QRect> m_thumbnails;
    /// With labels: each glyph's column, as wide as its thumbnail or its label.
    std::vector<std::pair<int, int>> m_columns; // left, width
    std::vector<int> m_lineStarts;
    std::vector<int> m_lineTops;
    std::vector<int> m_lineBottoms;
};

} // namespace Kernwick
