#include "editor/viewrenderer.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStringList>

#include <algorithm>

namespace Kernwick {

QColor ViewColors::pixel(std::uint8_t value, std::uint8_t ldepth)
{
    switch (value) {
    case 0:
        return LightGreen;
    case 1:
        return ldepth == 0 ? White : Grey;
    case 2:
        return White;
    default:
        return ValueThree;
    }
}

QString utf8Line(int code)
{
    QList<int> bytes;
    if (code < 0x80) {
        bytes = {code};
    } else if (code < 0x800) {
        bytes = {0xC0 + (code >> 6 & 0x1F), 0x80 + (code & 0x3F)};
    } else if (code < 0x10000) {
        bytes = {0xE0 + (code >> 12), 0x80 + (code >> 6 & 0x3F), 0x80 + (code & 0x3F)};
    } else {
        // Codes past 65535 come only from files; they take UTF-8's four-byte form.
        bytes = {0xF0 + (code >> 18 & 0x07), 0x80 + (code >> 12 & 0x3F), 0x80 + (code >> 6 & 0x3F),
                 0x80 + (code & 0x3F)};
    }
    QStringList decimal;
    QStringList hex;
    for (const int b : bytes) {
        decimal << QString::number(b);
        hex << QString::number(b, 16).toUpper() + QLatin1Char('h');
    }
    return QStringLiteral("UTF-8: %1 (%2)")
        .arg(decimal.join(QLatin1Char(' ')), hex.join(QLatin1Char(' ')));
}

QStringList infoLines(const Font &font, int index)
{
    QStringList lines;
    lines << QStringLiteral("Font Name: %1").arg(QString::fromLatin1(font.nameText()));
    const bool hasGlyph = index >= 0 && index < font.chars();
    const Glyph *g = hasGlyph ? &font.glyphs[std::size_t(index)] : nullptr;
    if (g) {
        const int code = int(font.header.first) + index;
        lines << QStringLiteral("Character Number: %1").arg(index)
              << QStringLiteral("Code Value: %1 (%2h)")
                     .arg(code)
                     .arg(QString::number(code, 16).toUpper())
              << utf8Line(code);
    }
    lines << (font.header.ldepth != 0 ? QStringLiteral("Pixel Depth: 2BPP")
                                      : QStringLiteral("Pixel Depth: 1BPP"));
    if (g)
        lines << QStringLiteral("Width: %1").arg(g->width);
    lines << QStringLiteral("Height: %1").arg(font.header.height);
    if (g)
        lines << QStringLiteral("Left: %1").arg(int(std::int8_t(g->left)));
    lines << QStringLiteral("Ascent: %1").arg(font.header.ascent)
          << QStringLiteral("File Size: %1 bytes").arg(font.header.fileSize);
    return lines;
}

QFont glyphLabelFont(const QFont &base)
{
    QFont font = base;
    if (base.pointSizeF() > 0)
        font.setPointSizeF(std::max(6.0, base.pointSizeF() * 0.8));
    else
        font.setPixelSize(std::max(8, base.pixelSize() * 4 / 5));
    return font;
}

GlyphLabelMetrics glyphLabelMetrics(const QFont &font)
{
    const QFontMetrics metrics(font);
    GlyphLabelMetrics labels;
    labels.lineHeight = metrics.height();
    for (const QChar digit : QStringLiteral("0123456789ABCDEF"))
        labels.digitWidth = std::max(labels.digitWidth, metrics.horizontalAdvance(digit));
    labels.characterWidth = std::max(metrics.horizontalAdvance(QLatin1Char('W')),
                                     metrics.horizontalAdvance(QLatin1Char('M')));
    return labels;
}

namespace {

// The enlarged grid: fills first, then the grey lines, then the blue left column
// and last the red ascent row, so red wins where they meet.
void paintGrid(QPainter &painter, const Font &font, const Glyph &g, QPoint origin, QRect visible,
               int cell)
{
    const int rows = g.rowCount;
    const int columns = g.width;
    const int firstRow = std::max(0, (visible.top() - origin.y()) / cell);
    const int lastRow = std::min(rows - 1, (visible.bottom() - origin.y()) / cell);
    const int firstColumn = std::max(0, (visible.left() - origin.x()) / cell);
    const int lastColumn = std::min(columns - 1, (visible.right() - origin.x()) / cell);
    if (firstRow > lastRow || firstColumn > lastColumn)
        return;

    for (int r = firstRow; r <= lastRow; ++r)
        for (int c = firstColumn; c <= lastColumn; ++c)
            painter.fillRect(origin.x() + cell * c, origin.y() + cell * r, cell, cell,
                             ViewColors::pixel(g.pixel(r, c), font.header.ldepth));

    const int left = origin.x() + cell * firstColumn;
    const int right = origin.x() + cell * (lastColumn + 1);
    const int top = origin.y() + cell * firstRow;
    const int bottom = origin.y() + cell * (lastRow + 1);
    painter.setPen(ViewColors::Grey);
    for (int r = firstRow; r <= lastRow + 1; ++r)
        painter.drawLine(left, origin.y() + cell * r, right, origin.y() + cell * r);
    for (int c = firstColumn; c <= lastColumn + 1; ++c)
        painter.drawLine(origin.x() + cell * c, top, origin.x() + cell * c, bottom);

    const int leftColumn = std::int8_t(g.left);
    if (leftColumn >= firstColumn && leftColumn <= lastColumn) {
        painter.setPen(ViewColors::Blue);
        for (int r = firstRow; r <= lastRow; ++r)
            if (r != font.header.ascent)
                painter.drawRect(origin.x() + cell * leftColumn, origin.y() + cell * r, cell, cell);
    }
    if (font.header.ascent >= firstRow && font.header.ascent <= lastRow) {
        painter.setPen(ViewColors::Red);
        for (int c = firstColumn; c <= lastColumn; ++c)
            painter.drawRect(origin.x() + cell * c, origin.y() + cell * font.header.ascent, cell,
                             cell);
    }
}

// One strip line at one pixel per glyph pixel, drawn doubled: a single image per
// line keeps the strip cheap however many glyphs are visible.
void paintStripLine(QPainter &painter, const Font &font, const ViewLayout &layout, int first,
                    int last, QPoint scroll)
{
    int right = ViewLayout::StripLeft;
    int top = -1;
    for (int i = first; i < last; ++i) {
        const QRect rect = layout.thumbnail(i);
        if (rect.isNull())
            continue;
        right = std::max(right, rect.x() + rect.width());
        top = rect.y();
    }
    const int height = font.header.height;
    if (top < 0 || height == 0)
        return;
    const int scale = layout.thumbScale();
    QImage line((right - ViewLayout::StripLeft + scale - 1) / scale, height, QImage::Format_RGB32);
    line.fill(ViewColors::White);
    QRgb colors[4];
    for (std::uint8_t v = 0; v < 4; ++v)
        colors[v] = ViewColors::pixel(v, font.header.ldepth).rgb();
    for (int i = first; i < last; ++i) {
        const QRect rect = layout.thumbnail(i);
        if (rect.isNull())
            continue;
        const Glyph &g = font.glyphs[std::size_t(i)];
        const int x0 = (rect.x() - ViewLayout::StripLeft) / scale;
        for (int r = 0; r < height && r < g.rowCount; ++r) {
            auto *out = reinterpret_cast<QRgb *>(line.scanLine(r)) + x0;
            const std::uint8_t *in = g.row(r);
            for (int c = 0; c < g.width; ++c)
                out[c] = colors[in[c] & 3];
        }
    }
    painter.drawImage(QRect(QPoint(ViewLayout::StripLeft, top) - scroll,
                            QSize(line.width() * scale, height * scale)),
                      line);
}

// The labels of glyphs [first, last) that meet `visible`: the character centred
// over the code, each cut to its label's box so that a wide character never runs
// into its neighbour's.
void paintLabels(QPainter &painter, const Font &font, const ViewLayout &layout, int first, int last,
                 QRect visible, const QFont &labelFont)
{
    painter.setFont(labelFont);
    const int lineHeight = (layout.labelHeight() - ViewLayout::LabelPadding) / 2;
    for (int i = first; i < last; ++i) {
        const QRect box = layout.label(i);
        if (box.isNull() || !box.intersects(visible))
            continue;
        const int code = int(font.header.first) + i;
        // The character's box takes in the padding above it too: an accent on a
        // capital may reach past the font's ascent.
        const QRect upper(box.x(), box.y(), box.width(), ViewLayout::LabelPadding + lineHeight);
        const QString character = glyphLabelCharacter(code);
        if (!character.isEmpty()) {
            painter.setPen(Qt::black);
            painter.drawText(upper, Qt::AlignHCenter | Qt::AlignBottom, character);
        }
        painter.setPen(ViewColors::Grey);
        painter.drawText(QRect(box.x(), upper.bottom() + 1, box.width(), lineHeight),
                         Qt::AlignCenter, glyphLabelCode(code));
    }
}

} // namespace

void paintView(QPainter &painter, const ViewFrame &frame)
{
    // Cells and thumbnail pixels are whole logical pixels; drawn without blending
    // or smoothing they stay sharp squares at any device pixel ratio.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.fillRect(QRect(QPoint(0, 0), frame.viewport), ViewColors::White);
    const Font &font = *frame.font;
    const ViewLayout &layout = *frame.layout;
    const QRect visible(frame.scroll, frame.viewport); // in document pixels

    painter.save();
    painter.translate(-frame.scroll);
    const bool hasGlyph = frame.currentIndex >= 0 && frame.currentIndex < font.chars();
    const Glyph empty;
    const Glyph &g = hasGlyph ? font.glyphs[std::size_t(frame.currentIndex)] : empty;
    const QRect grid = layout.grid(g.width, font.header.height);
    if (hasGlyph) {
        paintGrid(painter, font, g, grid.topLeft(), visible, layout.cellSize());
        painter.setPen(ViewColors::Red);
        painter.drawRect(grid.x() - 1, grid.y() - 1, grid.width() + 2, grid.height() + 2);
    }

    // The information panel.
    painter.setPen(Qt::black);
    const QStringList lines = infoLines(font, hasGlyph ? frame.currentIndex : -1);
    QPoint baseline(grid.x() + grid.width() + 10, grid.y() + 10);
    for (const QString &line : lines) {
        painter.drawText(baseline, line);
        baseline.ry() += ViewLayout::InfoLineHeight;
    }
    if (font.chars() == 0) {
        painter.drawText(QPoint(ViewLayout::StripLeft, layout.stripTop()),
                         QStringLiteral("This font has no characters. Insert one with Edit > "
                                        "Insert... > Character."));
    }
    painter.restore();

    // The strip, line by line, only where the viewport shows it.
    const auto [first, last] =
        layout.glyphsBetween(visible.top(), visible.top() + visible.height());
    for (int line = 0; line < layout.lineCount(); ++line) {
        const int start = layout.lineStart(line);
        const int end =
            line + 1 < layout.lineCount() ? layout.lineStart(line + 1) : layout.glyphCount();
        if (end <= first || start >= last)
            continue;
        paintStripLine(painter, font, layout, start, end, frame.scroll);
        if (layout.showsLabels()) {
            painter.save();
            painter.translate(-frame.scroll);
            paintLabels(painter, font, layout, std::max(start, first), std::min(end, last), visible,
                        frame.labelFont);
            painter.restore();
        }
    }

    // The current glyph's thumbnail: framed and joined to the grid.
    if (hasGlyph) {
        const QRect thumb = layout.thumbnail(frame.currentIndex);
        if (!thumb.isNull()) {
            painter.save();
            painter.translate(-frame.scroll);
            painter.setPen(ViewColors::Red);
            painter.drawRect(thumb.adjusted(-1, -1, 0, 0));
            painter.drawLine(thumb.topLeft(), QPoint(grid.left(), grid.y() + grid.height()));
            painter.drawLine(QPoint(thumb.x() + thumb.width(), thumb.y()),
                             QPoint(grid.x() + grid.width(), grid.y() + grid.height()));
            painter.restore();
        }
    }
}

} // namespace Kernwick
