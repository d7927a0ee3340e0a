#include "libkernwick/font/glyphdrawing.h"

#include <algorithm>
#include <cstdlib>

namespace Kernwick {

PixelArea PixelArea::spanning(int r1, int c1, int r2, int c2)
{
    return {std::min(r1, r2), std::min(c1, c2), std::abs(r2 - r1) + 1, std::abs(c2 - c1) + 1};
}

PixelArea PixelArea::whole(const Glyph &glyph)
{
    return {0, 0, glyph.rowCount, glyph.width};
}

PixelArea PixelArea::clippedTo(const Glyph &glyph) const
{
    const int top = std::max(this->top, 0);
    const int left = std::max(this->left, 0);
    const int bottom = std::min(this->top + rows, glyph.rowCount);
    const int right = std::min(this->left + columns, int(glyph.width));
    return {top, left, std::max(bottom - top, 0), std::max(right - left, 0)};
}

void flipHorizontal(Glyph &glyph, PixelArea area)
{
    area = area.clippedTo(glyph);
    if (area.isEmpty())
        return;
    for (int r = area.top; r < area.top + area.rows; ++r) {
        std::uint8_t *row = glyph.row(r) + area.left;
        std::reverse(row, row + area.columns);
    }
}

void flipVertical(Glyph &glyph, PixelArea area)
{
    area = area.clippedTo(glyph);
    for (int upper = area.top, lower = area.top + area.rows - 1; upper < lower; ++upper, --lower)
        std::swap_ranges(glyph.row(upper) + area.left, glyph.row(upper) + area.left + area.columns,
                         glyph.row(lower) + area.left);
}

bool rotateQuarter(Glyph &glyph, PixelArea area, Turn turn)
{
    area = area.clippedTo(glyph);
    if (area.rows != area.columns)
        return false;
    const int n = area.rows;
    std::vector<std::uint8_t> turned(std::size_t(n) * std::size_t(n));
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            // Clockwise, the source's row r becomes the target's column n-1-r.
            const int tr = turn == Turn::Clockwise ? c : n - 1 - c;
            const int tc = turn == Turn::Clockwise ? n - 1 - r : r;
            turned[std::size_t(tr * n + tc)] = glyph.pixel(area.top + r, area.left + c);
        }
    for (int r = 0; r < n; ++r)
        std::copy_n(turned.begin() + std::ptrdiff_t(r) * n, n, glyph.row(area.top + r) + area.left);
    return true;
}

void invertPixels(Glyph &glyph, PixelArea area, std::uint8_t white)
{
    area = area.clippedTo(glyph);
    for (int r = area.top; r < area.top + area.rows; ++r)
        for (int c = area.left; c < area.left + area.columns; ++c) {
            const std::uint8_t v = glyph.pixel(r, c);
            if (v == 0)
                glyph.setPixel(r, c, white);
            else if (v == white)
                glyph.setPixel(r, c, 0);
        }
}

std::vector<std::pair<int, int>> linePixels(int r1, int c1, int r2, int c2)
{
    std::vector<std::pair<int, int>> points;
    const int dr = std::abs(r2 - r1), dc = std::abs(c2 - c1);
    const int stepR = r1 < r2 ? 1 : -1, stepC = c1 < c2 ? 1 : -1;
    points.reserve(std::size_t(std::max(dr, dc)) + 1);
    int error = dc - dr;
    for (int r = r1, c = c1;;) {
        points.emplace_back(r, c);
        if (r == r2 && c == c2)
            break;
        const int twice = 2 * error;
        if (twice > -dr) {
            error -= dr;
            c += stepC;
        }
        if (twice < dc) {
            error += dc;
            r += stepR;
        }
    }
    return points;
}

void drawLine(Glyph &glyph, int r1, int c1, int r2, int c2, std::uint8_t value)
{
    const PixelArea inside = PixelArea::whole(glyph);
    for (const auto &[r, c] : linePixels(r1, c1, r2, c2))
        if (inside.contains(r, c))
            glyph.setPixel(r, c, value);
}

void drawRectangle(Glyph &glyph, PixelArea area, std::uint8_t value, bool filled)
{
    const PixelArea inside = area.clippedTo(glyph);
    for (int r = inside.top; r < inside.top + inside.rows; ++r)
        for (int c = inside.left; c < inside.left + inside.columns; ++c) {
            const bool border = r == area.top || r == area.top + area.rows - 1 || c == area.left ||
                                c == area.left + area.columns - 1;
            if (filled || border)
                glyph.setPixel(r, c, value);
        }
}

int floodFill(Glyph &glyph, int row, int column, std::uint8_t value)
{
    if (!PixelArea::whole(glyph).contains(row, column))
        return 0;
    const std::uint8_t from = glyph.pixel(row, column);
    if (from == value)
        return 0;
    // An explicit stack: a 255 × 255 region would overflow a recursive fill.
    std::vector<std::pair<int, int>> pending{{row, column}};
    glyph.setPixel(row, column, value);
    int changed = 0;
    while (!pending.empty()) {
        const auto [r, c] = pending.back();
        pending.pop_back();
        ++changed;
        const std::pair<int, int> neighbours[] = {{r - 1, c}, {r + 1, c}, {r, c - 1}, {r, c + 1}};
        for (const auto &[nr, nc] : neighbours)
            if (nr >= 0 && nr < glyph.rowCount && nc >= 0 && nc < glyph.width &&
                glyph.pixel(nr, nc) == from) {
                glyph.setPixel(nr, nc, value);
                pending.emplace_back(nr, nc);
            }
    }
    return changed;
}

bool paintDrawing(Glyph &glyph, const Drawing &drawing, std::uint8_t value)
{
    using Shape = Drawing::Shape;
    if (drawing.shape == Shape::Fill)
        return floodFill(glyph, drawing.r1, drawing.c1, value) > 0;
    const std::vector<std::uint8_t> before = glyph.pixels;
    if (drawing.shape == Shape::Line)
        drawLine(glyph, drawing.r1, drawing.c1, drawing.r2, drawing.c2, value);
    else
        drawRectangle(glyph, PixelArea::spanning(drawing.r1, drawing.c1, drawing.r2, drawing.c2),
                      value, drawing.shape == Shape::FilledRectangle);
    return glyph.pixels != before;
}

} // namespace Kernwick
