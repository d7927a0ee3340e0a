#include "libkernwick/font/fontchart.h"

#include <algorithm>

namespace Kernwick {

QString ChartEntry::label() const
{
    return QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper();
}

QRect ChartEntry::cell(int row, int column) const
{
    return QRect(box.left() + column * ChartCellSize, box.top() + row * ChartCellSize,
                 ChartCellSize, ChartCellSize);
}

namespace {

ChartPage startPage(const Font &font, int number)
{
    ChartPage page;
    page.number = number;
    page.title = QStringLiteral("Font Name %1 Page %2")
                     .arg(QString::fromLatin1(font.nameText()))
                     .arg(number);
    page.titleOrigin = ChartTitlePosition;
    return page;
}

} // namespace

FontChart layoutFontChart(const Font &font, const ChartPageMetrics &metrics)
{
    const int labelWidth = 4 * metrics.averageCharWidth;
    const int boxHeight = ChartCellSize * font.header.height;
    // Glyphs lower than a label would let the labels of one line run into the next.
    const int lineHeight = std::max(boxHeight, metrics.charHeight);
    const int firstLineTop = ChartTitlePosition.y() + 2 * metrics.charHeight;

    FontChart chart;
    chart.pages.push_back(startPage(font, 1));
    int labelX = ChartMargin;
    int top = firstLineTop;
    for (int i = 0; i < font.chars(); ++i) {
        const int width = ChartCellSize * font.glyphs[std::size_t(i)].width;
        ChartEntry entry;
        entry.glyphIndex = i;
        entry.code = font.header.first + i;
        entry.labelOrigin = QPoint(labelX, top);
        entry.box = QRect(labelX + labelWidth, top, width, boxHeight);
        chart.pages.back().entries.push_back(entry);

        if (i + 1 == font.chars())
            break;
        // The next glyph stays on this line when its box keeps clear of the right margin.
        const int nextLabelX = entry.box.x() + width + ChartGap;
        const int nextWidth = ChartCellSize * font.glyphs[std::size_t(i) + 1].width;
        if (nextLabelX + labelWidth + nextWidth <= metrics.width - ChartMargin) {
            labelX = nextLabelX;
            continue;
        }
        labelX = ChartMargin;
        top += lineHeight + ChartGap;
        if (top + lineHeight > metrics.height) {
            chart.pages.push_back(startPage(font, chart.pageCount() + 1));
            top = firstLineTop;
        }
    }
    return chart;
}

} // namespace Kernwick
