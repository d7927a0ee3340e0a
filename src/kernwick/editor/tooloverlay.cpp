#include "editor/tooloverlay.h"

#include "editor/viewrenderer.h"

#include <QPainter>
#include <QPen>

#include <algorithm>

namespace Kernwick {

std::vector<ToolOverlay::Pixel> ToolOverlay::changes(const Glyph &now, const Glyph &after)
{
    std::vector<Pixel> pixels;
    for (int r = 0; r < now.rowCount; ++r)
        for (int c = 0; c < now.width; ++c)
            if (now.pixel(r, c) != after.pixel(r, c))
                pixels.push_back({r, c, after.pixel(r, c)});
    return pixels;
}

std::vector<ToolOverlay::Pixel> ToolOverlay::shape(const Glyph &glyph, const Drawing &drawing,
                                                   std::uint8_t value)
{
    // Drawn on a blank of a value no pixel has, the shape is what it overwrote.
    constexpr std::uint8_t blank = 0xFF;
    Glyph canvas;
    canvas.reset(glyph.rowCount, glyph.width);
    std::fill(canvas.pixels.begin(), canvas.pixels.end(), blank);
    paintDrawing(canvas, drawing, value);
    std::vector<Pixel> pixels;
    for (int r = 0; r < canvas.rowCount; ++r)
        for (int c = 0; c < canvas.width; ++c)
            if (canvas.pixel(r, c) != blank)
                pixels.push_back({r, c, value});
    return pixels;
}

void paintToolOverlay(QPainter &painter, const ToolOverlay &overlay, QPoint origin, int cell,
                      std::uint8_t ldepth, QRect visible)
{
    // Inside the grey lines, so the grid and the ascent and left markers stay; a
    // dark dot in the middle tells a pixel not yet written from the glyph's own.
    const int inset = cell >= 4 ? 1 : 0;
    const int dot = cell >= 6 ? std::max(2, cell / 4) : 0;
    for (const ToolOverlay::Pixel &p : overlay.pixels) {
        const QRect box(origin.x() + p.column * cell + inset, origin.y() + p.row * cell + inset,
                        cell - inset, cell - inset);
        if (!box.intersects(visible))
            continue;
        painter.fillRect(box, ViewColors::pixel(p.value, ldepth));
        if (dot > 0)
            painter.fillRect(origin.x() + p.column * cell + (cell - dot + 1) / 2,
                             origin.y() + p.row * cell + (cell - dot + 1) / 2, dot, dot,
                             ToolOverlay::PendingMark);
    }
    if (!overlay.outline)
        return;
    const PixelArea &area = *overlay.outline;
    const QRect frame(origin.x() + area.left * cell, origin.y() + area.top * cell,
                      area.columns * cell, area.rows * cell);
    // Black under white dashes: the frame shows on white and transparent cells alike.
    painter.save();
    painter.setBrush(Qt::NoBrush);
    QPen pen(Qt::black, 2);
    painter.setPen(pen);
    painter.drawRect(frame);
    pen.setColor(Qt::white);
    pen.setDashPattern({3, 3});
    painter.setPen(pen);
    painter.drawRect(frame);
    painter.restore();
}

} // namespace Kernwick
