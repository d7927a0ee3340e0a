#include "editor/viewlayout.h"

#include <algorithm>

namespace Kernwick {

ViewLayout::ViewLayout(const Font &font)
{
    int widest = 0;
    for (const Glyph &g : font.glyphs)
        widest = std::max<int>(widest, g.width);
    const int documentWidth = std::max(CellSize * widest + 200, MinimumDocument.width());
    m_stripTop = std::max(GridOrigin.y() + CellSize * font.height + 50, 200);

    // The strip: glyphs side by side, 2 pixels apart, a new line whenever the next
    // glyph would pass the document's right margin.
    const int count = font.chars();
    const int rowHeight = ThumbScale * font.height;
    m_thumbnails.assign(std::size_t(count), QRect());
    m_lineStarts.push_back(0);
    m_lineTops.push_back(m_stripTop);
    int x = StripLeft;
    int y = m_stripTop;
    for (int i = 0; i < count; ++i) {
        const int width = font.glyphs[std::size_t(i)].width;
        if (width == 0)
            continue;
        const QRect rect(x, y, ThumbScale * width, rowHeight);
        m_thumbnails[std::size_t(i)] = rect;
        const bool last = i == count - 1;
        const int nextWidth = last ? 0 : font.glyphs[std::size_t(i) + 1].width;
        if (!last && x + rect.width() > documentWidth - StripRightMargin - ThumbScale * nextWidth) {
            x = StripLeft;
            y += rowHeight + ThumbGap;
            m_lineStarts.push_back(i + 1);
            m_lineTops.push_back(y);
        } else {
            x += rect.width() + ThumbGap;
        }
    }
    // A line that holds no drawn glyph (the font ends in zero-width glyphs) adds
    // no height.
    int stripBottom = m_stripTop;
    for (std::size_t line = 0; line < m_lineTops.size(); ++line)
        m_lineBottoms.push_back(m_lineTops[line] + rowHeight);
    for (const QRect &rect : m_thumbnails)
        if (!rect.isNull())
            stripBottom = std::max(stripBottom, rect.y() + rect.height());
    m_documentSize = QSize(documentWidth, std::max(MinimumDocument.height(), stripBottom + 20));
}

QRect ViewLayout::gridRect(int width, int height)
{
    return QRect(GridOrigin, QSize(CellSize * std::max(width, 1), CellSize * height));
}

bool ViewLayout::cellAt(QPoint point, int width, int height, int *column, int *row)
{
    const QPoint inside = point - GridOrigin;
    if (inside.x() < 0 || inside.y() < 0)
        return false;
    const int c = inside.x() / CellSize;
    const int r = inside.y() / CellSize;
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
        if (m_thumbnails[std::size_t(i)].contains(point))
            return i;
    return -1;
}

} // namespace Kernwick
