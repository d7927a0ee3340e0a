#include "editor/viewlayout.h"

#include <algorithm>

namespace Kernwick {

namespace {

// `value` × `to` / `from`, rounded down also for negative values, so a point
// keeps its cell when the cells grow or shrink.
int rescale(int value, int to, int from)
{
    const qint64 product = qint64(value) * to;
    qint64 quotient = product / from;
    if (product % from != 0 && product < 0)
        --quotient;
    return int(quotient);
}

} // namespace

QString glyphLabelCharacter(int code)
{
    const auto character = char32_t(code);
    if (code < 0 || character > QChar::LastValidCodePoint || QChar::isSurrogate(character) ||
        !QChar::isPrint(character))
        return QString();
    return QString::fromUcs4(&character, 1);
}

QString glyphLabelCode(int code)
{
    return QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

int ViewLayout::zoomedIn(int percent)
{
    for (const int step : ZoomSteps)
        if (step > percent)
            return step;
    return percent;
}

int ViewLayout::zoomedOut(int percent)
{
    for (auto step = ZoomSteps.rbegin(); step != ZoomSteps.rend(); ++step)
        if (*step < percent)
            return *step;
    return percent;
}

ViewLayout::ViewLayout(const Font &font, int zoom, int width, const GlyphLabelMetrics &labels)
    : m_zoom(zoom), m_cellSize(std::max(1, CellSize * zoom / ActualSize)),
      m_thumbScale(std::max(1, ThumbScale * zoom / ActualSize)), m_fontHeight(font.header.height)
{
    int widest = 0;
    for (const Glyph &g : font.glyphs)
        widest = std::max<int>(widest, g.width);
    const int documentWidth = std::max({m_cellSize * widest + 200, MinimumDocument.width(), width});
    m_stripTop = std::max(GridOrigin.y() + m_cellSize * font.header.height + 50, 200);
    if (labels.shown())
        m_labelHeight = LabelPadding + 2 * labels.lineHeight;

    // A glyph's column in the strip: its thumbnail, widened for its label to whole
    // thumbnail pixels so that the line's picture keeps one pixel per glyph pixel.
    const int count = font.chars();
    const auto columnWidth = [&](int i) {
        const int thumb = m_thumbScale * font.glyphs[std::size_t(i)].width;
        if (thumb == 0 || !labels.shown())
            return thumb;
        const int code = int(font.header.first) + i;
        int digits = 2; // as glyphLabelCode() writes the code
        for (int rest = code >> 8; rest > 0; rest >>= 4)
            ++digits;
        const int text = std::max(labels.characterWidth, labels.digitWidth * digits) + LabelPadding;
        return std::max(thumb, (text + m_thumbScale - 1) / m_thumbScale * m_thumbScale);
    };

    // The strip: glyphs side by side, one thumbnail pixel apart (2 pixels at 100 %),
    // a new line whenever the next glyph would pass the document's right margin.
    const int rowHeight = lineHeight();
    m_thumbnails.assign(std::size_t(count), QRect());
    if (labels.shown())
        m_columns.assign(std::size_t(count), {0, 0});
    m_lineStarts.push_back(0);
    m_lineTops.push_back(m_stripTop);
    int x = StripLeft;
    int y = m_stripTop;
    int column = count > 0 ? columnWidth(0) : 0;
    for (int i = 0; i < count; ++i) {
        const int width = column;
        const bool last = i == count - 1;
        column = last ? 0 : columnWidth(i + 1);
        if (width == 0)
            continue;
        const int thumbWidth = m_thumbScale * font.glyphs[std::size_t(i)].width;
        // Centred in its column, on a whole thumbnail pixel.
        const int inset = (width - thumbWidth) / 2 / m_thumbScale * m_thumbScale;
        m_thumbnails[std::size_t(i)] = QRect(x + inset, y, thumbWidth, rowHeight);
        if (!m_columns.empty())
            m_columns[std::size_t(i)] = {x, width};
        if (!last && x + width > documentWidth - StripRightMargin - column) {
            x = StripLeft;
            y += linePitch();
            m_lineStarts.push_back(i + 1);
            m_lineTops.push_back(y);
        } else {
            x += width + thumbGap();
        }
    }
    // A line that holds no drawn glyph (the font ends in zero-width glyphs) adds
    // no height.
    int stripBottom = m_stripTop;
    for (std::size_t line = 0; line < m_lineTops.size(); ++line)
        m_lineBottoms.push_back(m_lineTops[line] + rowHeight + m_labelHeight);
    for (const QRect &rect : m_thumbnails)
        if (!rect.isNull())
            stripBottom = std::max(stripBottom, rect.y() + rect.height() + m_labelHeight);
    m_documentSize = QSize(documentWidth, std::max(MinimumDocument.height(), stripBottom + 20));
}

QRect ViewLayout::label(int index) const
{
    const QRect thumb = m_thumbnails[std::size_t(index)];
    if (m_columns.empty() || thumb.isNull())
        return QRect();
    const auto [left, width] = m_columns[std::size_t(index)];
    return QRect(left, thumb.y() + thumb.height(), width, m_labelHeight);
}

QRect ViewLayout::glyphArea(int index) const
{
    const QRect thumb = m_thumbnails[std::size_t(index)];
    return m_columns.empty() ? thumb : thumb.united(label(index));
}

QRect ViewLayout::gridRect(int width, int height, int cellSize)
{
    return QRect(GridOrigin, QSize(cellSize * std::max(width, 1), cellSize * height));
}

bool ViewLayout::cellAt(QPoint point, int width, int height, int *column, int *row, int cellSize)
{
    const QPoint inside = point - GridOrigin;
    if (inside.x() < 0 || inside.y() < 0)
        return false;
    const int c = inside.x() / cellSize;
    const int r = inside.y() / cellSize;
    if (c >= width || r >= height)
        return false;
    *column = c;
    *row = r;
    return true;
}

std::pair<int, int> ViewLayout::glyphsBetween(int top, int bottom) const
{
    if (m_thumbnails.empty() || bottom <= top)
        return {0, 0};
    // Lines are ordered top to bottom and do not overlap.
    const auto firstLine =
        std::upper_bound(m_lineBottoms.begin(), m_lineBottoms.end(), top) - m_lineBottoms.begin();
    const auto endLine =
        std::lower_bound(m_lineTops.begin(), m_lineTops.end(), bottom) - m_lineTops.begin();
    if (firstLine >= endLine)
        return {0, 0};
    const int first = m_lineStarts[std::size_t(firstLine)];
    const int last = std::size_t(endLine) < m_lineStarts.size() ? m_lineStarts[std::size_t(endLine)]
                                                                : glyphCount();
    return {first, last};
}

int ViewLayout::glyphAt(QPoint point) const
{
    const auto [first, last] = glyphsBetween(point.y(), point.y() + 1);
    for (int i = first; i < last; ++i)
        if (glyphArea(i).contains(point))
            return i;
    return -1;
}

int ViewLayout::lineOf(int index) const
{
    const auto after = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), index);
    return std::max(0, int(after - m_lineStarts.begin()) - 1);
}

int ViewLayout::lineAtHeight(int y) const
{
    const auto after = std::upper_bound(m_lineTops.begin(), m_lineTops.end(), y);
    return std::max(0, int(after - m_lineTops.begin()) - 1);
}

QRect ViewLayout::glyphBox(int index) const
{
    const QRect thumb = m_thumbnails[std::size_t(index)];
    if (!thumb.isNull())
        return thumb;
    // A glyph without columns sits just after the last drawn glyph before it on its
    // line, or at the line's start.
    const int line = lineOf(index);
    int x = StripLeft;
    for (int i = index - 1; i >= lineStart(line); --i) {
        // Its column, when labels widen it.
        const QRect before = m_columns.empty() ? m_thumbnails[std::size_t(i)] : label(i);
        if (!before.isNull()) {
            x = before.x() + before.width() + thumbGap();
            break;
        }
    }
    return QRect(x, lineTop(line), 1, lineHeight());
}

int ViewLayout::glyphNear(int line, int x) const
{
    const int start = lineStart(line);
    const int end = line + 1 < lineCount() ? lineStart(line + 1) : glyphCount();
    if (start >= end)
        return std::min(start, glyphCount() - 1);
    for (int i = start; i < end; ++i) {
        const QRect thumb = m_thumbnails[std::size_t(i)];
        if (!thumb.isNull() && x >= thumb.left() && x <= thumb.right())
            return i;
    }
    for (int i = start; i < end; ++i)
        if (glyphBox(i).right() >= x)
            return i;
    return end - 1;
}

QPoint ViewLayout::follow(const ViewLayout &from, QPoint point) const
{
    if (point.y() < from.stripTop() || from.glyphCount() == 0 ||
        from.glyphCount() != glyphCount()) {
        const QPoint inside = point - GridOrigin;
        return GridOrigin + QPoint(rescale(inside.x(), m_cellSize, from.m_cellSize),
                                   rescale(inside.y(), m_cellSize, from.m_cellSize));
    }
    int index = from.glyphAt(point);
    if (index < 0)
        index = from.glyphNear(from.lineAtHeight(point.y()), point.x());
    const QPoint inside = point - from.glyphBox(index).topLeft();
    return glyphBox(index).topLeft() + QPoint(rescale(inside.x(), m_thumbScale, from.m_thumbScale),
                                              rescale(inside.y(), m_thumbScale, from.m_thumbScale));
}

} // namespace Kernwick
