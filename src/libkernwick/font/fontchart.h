#pragma once

#include "libkernwick/font/font.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <vector>

namespace Kernwick {

/// Device units per glyph pixel in the chart, across and down.
inline constexpr int ChartCellSize = 10;
/// Left edge of every line's first label, and the room kept free on the right.
inline constexpr int ChartMargin = 150;
/// Position of each page's title.
inline constexpr QPoint ChartTitlePosition{150, 100};
/// Room between one glyph's box and the next glyph's label, and between lines.
inline constexpr int ChartGap = 10;

/// The page and the text font the chart is laid out for, in device units.
struct ChartPageMetrics
{
    int width = 0;            ///< width of the page's drawing area
    int height = 0;           ///< height of the page's drawing area
    int averageCharWidth = 0; ///< of the font the titles and labels are written in
    int charHeight = 0;       ///< of the same font
};

/// One glyph as the chart shows it: its code label and its box of cells.
struct ChartEntry
{
    int glyphIndex = 0;
    int code = 0;       ///< First + glyphIndex
    QPoint labelOrigin; ///< top-left corner of the label text
    QRect box;          ///< Width × Height cells of ChartCellSize, top-left at the first pixel

    /// The label text: the code in hexadecimal, at least two digits ("%02X").
    QString label() const;
    /// The rectangle of pixel (row, column).
    QRect cell(int row, int column) const;
};

/// One page: its title and the glyphs it shows, in table order.
struct ChartPage
{
    int number = 1;     ///< counted from 1
    QString title;      ///< "Font Name %s Page %d"
    QPoint titleOrigin; ///< top-left corner of the title text
    std::vector<ChartEntry> entries;
};

/// The whole printed font chart, laid out before anything is drawn so that the
/// page count is the number of pages the glyphs really fill.
struct FontChart
{
    std::vector<ChartPage> pages; ///< at least one; the last one is never empty unless the font is

    int pageCount() const { return int(pages.size()); }
};

/// Lays out the chart of `font` on pages of `metrics`.
///
/// Each page has the title "Font Name <name> Page <n>" at ChartTitlePosition; its
/// first line starts two character heights below the title. Each glyph gets its
/// code label and, 4 average character widths further right, one 10 × 10 cell per
/// pixel; the next glyph's label follows 10 units to the right. A glyph whose box
/// would pass the right margin starts a new line 10 units below the previous one
/// (below its labels when the glyphs are lower than a character), and a line that
/// would pass the bottom of the page starts a new page. Every
/// glyph is on exactly one page; a line always holds at least one glyph and a page
/// at least one line, even when the glyph is larger than the page.
FontChart layoutFontChart(const Font &font, const ChartPageMetrics &metrics);

} // namespace Kernwick
