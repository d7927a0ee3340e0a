#include "libkernwick/render/textpreview.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace Kernwick {

namespace {

// One glyph at one pixel per font pixel; the painter scales it without smoothing,
// so every font pixel stays a sharp square.
QImage glyphImage(const Glyph &g, int height, std::uint8_t ldepth)
{
    QImage image(g.width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    // A 1BPP font reaches the board one bit per pixel, as its file stores it.
    const QRgb none = qRgba(0, 0, 0, 0);
    const QRgb white = PreviewColors::White.rgba();
    const QRgb colours[4] = {
        none,
        ldepth == 0 ? white : PreviewColors::Halftone.rgba(),
        ldepth == 0 ? none : white,
        ldepth == 0 ? white : PreviewColors::ValueThree.rgba(),
    };
    for (int r = 0; r < height && r < g.rowCount; ++r) {
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(r));
        const std::uint8_t *in = g.row(r);
        for (int c = 0; c < g.width; ++c)
            out[c] = colours[in[c] & 3];
    }
    return image;
}

} // namespace

int TextLine::placeholderWidth() const
{
    return std::clamp((height + 1) / 2, 3, MaxGlyphSide);
}

int TextLine::advance(std::size_t i) const
{
    return glyphs[i] != nullptr ? glyphs[i]->width : placeholderWidth();
}

qint64 TextLine::width() const
{
    qint64 sum = 0;
    for (std::size_t i = 0; i < glyphs.size(); ++i)
        sum += advance(i);
    return sum;
}

QList<int> textCodes(const QString &text)
{
    QList<int> codes;
    for (const char32_t code : text.toUcs4())
        codes.append(int(code));
    return codes;
}

TextLine setTextLine(const Font &font, const QList<int> &codes)
{
    TextLine line;
    line.height = font.header.height;
    line.ldepth = font.header.ldepth;
    line.glyphs.reserve(std::size_t(codes.size()));
    for (const int code : codes) {
        const int index = code - int(font.header.first);
        line.glyphs.push_back(index >= 0 && index < font.chars() ? &font.glyphs[std::size_t(index)]
                                                                 : nullptr);
    }
    return line;
}

void drawVideoBackground(QPainter &painter, const QRect &area)
{
    QLinearGradient gradient(area.topLeft(), area.bottomLeft());
    gradient.setColorAt(0, PreviewColors::VideoTop);
    gradient.setColorAt(1, PreviewColors::VideoBottom);
    painter.fillRect(area, gradient);
    const QColor scanLine(0, 0, 0, 40);
    for (int y = area.top() + 1; y <= area.bottom(); y += 2)
        painter.fillRect(area.left(), y, area.width(), 1, scanLine);
}

void drawTextLine(QPainter &painter, const TextLine &line, QPoint origin, int scale,
                  const QRect &visible)
{
    if (line.height <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const int height = line.height * scale;
    qint64 x = origin.x();
    for (std::size_t i = 0; i < line.glyphs.size() && x <= visible.right(); ++i) {
        const int width = line.advance(i) * scale;
        const QRect box(int(x), origin.y(), width, height);
        x += width;
        if (width == 0 || !box.intersects(visible))
            continue;
        if (const Glyph *g = line.glyphs[i]) {
            painter.drawImage(box, glyphImage(*g, line.height, line.ldepth));
        } else {
            // An outlined box one font pixel thick, one pixel narrower than its room
            // so that neighbouring boxes stay apart.
            const QRect frame(box.x(), box.y(), box.width() - scale, box.height());
            const QColor colour = PreviewColors::Placeholder;
            painter.fillRect(frame.x(), frame.y(), frame.width(), scale, colour);
            painter.fillRect(frame.x(), frame.y() + frame.height() - scale, frame.width(), scale,
                             colour);
            painter.fillRect(frame.x(), frame.y(), scale, frame.height(), colour);
            painter.fillRect(frame.x() + frame.width() - scale, frame.y(), scale, frame.height(),
                             colour);
        }
    }
    painter.restore();
}

} // namespace Kernwick
