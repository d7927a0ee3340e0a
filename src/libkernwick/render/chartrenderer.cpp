#include "libkernwick/render/chartrenderer.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QRectF>

#include <vector>

namespace Kernwick {

namespace {

// The stock brushes of a printed chart.
const QColor halftoneGrey(128, 128, 128);

// A rectangle whose one-unit outline lies inside `rect`, as a printer draws a
// bordered box: the outline and the filling together cover exactly `rect`.
QRectF insideOutline(const QRect &rect)
{
    return QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
}

void drawText(QPainter &painter, const QFontMetrics &metrics, const QPoint &topLeft,
              const QString &text)
{
    painter.drawText(QPoint(topLeft.x(), topLeft.y() + metrics.ascent()), text);
}

void drawGlyph(QPainter &painter, const Font &font, const ChartEntry &entry)
{
    const Glyph &glyph = font.glyphs[std::size_t(entry.glyphIndex)];
    std::vector<QRectF> grey;
    std::vector<QRectF> black;
    for (int r = 0; r < glyph.rowCount; ++r) {
        for (int c = 0; c < glyph.width; ++c) {
            const std::uint8_t value = glyph.pixel(r, c);
            if (value == 0)
                continue;
            const bool halftone = value == 1 && font.header.ldepth != 0;
            (halftone ? grey : black).push_back(insideOutline(entry.cell(r, c)));
        }
    }
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(halftoneGrey);
    painter.drawRects(grey.data(), int(grey.size()));
    painter.setBrush(Qt::black);
    painter.drawRects(black.data(), int(black.size()));
    if (!entry.box.isEmpty()) {
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(insideOutline(entry.box));
    }
}

} // namespace

QFont chartTextFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
    return font;
}

ChartPageMetrics chartPageMetrics(const QSize &pageSize, const QPaintDevice *device,
                                  const QFont &textFont)
{
    const QFontMetrics metrics(textFont, device);
    return {pageSize.width(), pageSize.height(), metrics.averageCharWidth(), metrics.height()};
}

void drawChartPage(QPainter &painter, const Font &font, const ChartPage &page,
                   const QFont &textFont)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(textFont);
    const QFontMetrics metrics(textFont, painter.device());
    painter.setPen(Qt::black);
    drawText(painter, metrics, page.titleOrigin, page.title);
    for (const ChartEntry &entry : page.entries) {
        painter.setPen(Qt::black);
        drawText(painter, metrics, entry.labelOrigin, entry.label());
        drawGlyph(painter, font, entry);
    }
    painter.restore();
}

bool printChart(QPagedPaintDevice *device, const Font &font, const QFont &textFont)
{
    const FontChart chart = layoutFontChart(
        font, chartPageMetrics(QSize(device->width(), device->height()), device, textFont));
    QPainter painter;
    if (!painter.begin(device))
        return false;
    for (const ChartPage &page : chart.pages) {
        if (page.number > 1 && !device->newPage()) {
            painter.end();
            return false;
        }
        drawChartPage(painter, font, page, textFont);
    }
    return painter.end();
}

} // namespace Kernwick
