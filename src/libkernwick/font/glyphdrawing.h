#pragma once

#include "libkernwick/font/font.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace Kernwick {

/// A rectangle of a glyph's pixels: `rows` rows from `top`, `columns` columns
/// from `left`.
struct PixelArea
{
    int top = 0;
    int left = 0;
    int rows = 0;
    int columns = 0;

    /// The rectangle with corners (r1, c1) and (r2, c2), in either order.
    static PixelArea spanning(int r1, int c1, int r2, int c2);
    /// Every pixel of `glyph`.
    static PixelArea whole(const Glyph &glyph);

    bool isEmpty() const { return rows <= 0 || columns <= 0; }
    bool contains(int row, int column) const
    {
        return row >= top && row < top + rows && column >= left && column < left + columns;
    }
    /// The part of this area inside `glyph`.
    PixelArea clippedTo(const Glyph &glyph) const;

    bool operator==(const PixelArea &) const = default;
};

/// Which way a quarter turn goes.
enum class Turn
{
    Clockwise,
    Anticlockwise
};

/// Mirrors the area left to right.
void flipHorizontal(Glyph &glyph, PixelArea area);
/// Mirrors the area top to bottom.
void flipVertical(Glyph &glyph, PixelArea area);
/// Turns a square area a quarter turn. Returns false, changing nothing, when the
/// area (clipped to the glyph) is not square.
bool rotateQuarter(Glyph &glyph, PixelArea area, Turn turn);
/// Swaps `white` and transparent in the area; every other value (halftone, or a
/// 3 read from a file) stays as it is.
void invertPixels(Glyph &glyph, PixelArea area, std::uint8_t white);

/// The pixels of the straight line from (r1, c1) to (r2, c2), both ends included,
/// in order, each row and column step at most one (Bresenham).
std::vector<std::pair<int, int>> linePixels(int r1, int c1, int r2, int c2);
/// Paints the line's pixels that fall inside the glyph with `value`.
void drawLine(Glyph &glyph, int r1, int c1, int r2, int c2, std::uint8_t value);
/// Paints the area's border, or all of it when `filled`, with `value` (clipped).
void drawRectangle(Glyph &glyph, PixelArea area, std::uint8_t value, bool filled);
/// Paints the 4-connected region of pixels equal to the one at (row, column) with
/// `value`. Returns the number of pixels changed (0 outside the glyph, or when
/// the region already has `value`).
int floodFill(Glyph &glyph, int row, int column, std::uint8_t value);

/// One use of a drawing tool on a glyph: a line or a rectangle between two cells,
/// or a flood fill from one cell (r1, c1).
struct Drawing
{
    enum class Shape
    {
        Line,
        Rectangle,       ///< the outline only
        FilledRectangle, ///< every pixel of the rectangle
        Fill,
    };
    Shape shape = Shape::Line;
    int r1 = 0;
    int c1 = 0;
    int r2 = 0;
    int c2 = 0;

    bool operator==(const Drawing &) const = default;
};

/// Paints `drawing` on the glyph with `value`, clipped to the glyph. Returns
/// whether any pixel changed.
bool paintDrawing(Glyph &glyph, const Drawing &drawing, std::uint8_t value);

} // namespace Kernwick
