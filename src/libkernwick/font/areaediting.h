#pragma once

#include "libkernwick/font/editcommands.h"
#include "libkernwick/font/editresult.h"
#include "libkernwick/font/font.h"
#include "libkernwick/font/glyphdrawing.h"

#include <cstdint>
#include <vector>

namespace Kernwick {

/// A rectangle of pixel values taken out of a glyph (a selection copied, cut or
/// being moved), with the pixel depth of the font it came from.
struct PixelBlock
{
    int rows = 0;
    int columns = 0;
    std::vector<std::uint8_t> pixels; ///< `rows` rows of `columns` values, top row first
    std::uint8_t ldepth = 0;

    bool isEmpty() const { return rows <= 0 || columns <= 0; }
    std::uint8_t pixel(int row, int column) const
    {
        return pixels[std::size_t(row) * std::size_t(columns) + std::size_t(column)];
    }

    bool operator==(const PixelBlock &) const = default;
};

/// The pixels of `area`, clipped to the glyph, as a block of depth `ldepth`.
PixelBlock liftBlock(const Glyph &glyph, PixelArea area, std::uint8_t ldepth);
/// The block's pixels mapped to a font of depth `ldepth` as the depth conversions
/// map them (white stays white); unchanged when the depths agree or either is
/// neither 1BPP nor 2BPP.
PixelBlock blockAtDepth(PixelBlock block, std::uint8_t ldepth);
/// Writes every pixel of `block` (transparent ones too) with its top left at
/// (`top`, `left`); what falls outside the glyph is lost.
void dropBlock(Glyph &glyph, const PixelBlock &block, int top, int left);
/// Makes the area's pixels transparent.
void clearArea(Glyph &glyph, PixelArea area);
/// Moves the pixels of `area` by `down` rows and `right` columns: the pixels they
/// leave become transparent, they cover what lay at their new place, and those
/// moved outside the glyph are lost. Returns where they landed, clipped to the
/// glyph (empty when all left it).
PixelArea moveArea(Glyph &glyph, PixelArea area, int down, int right);

/// Whether `operation` can act on a selected area instead of the whole glyph:
/// the flips, the quarter turns, Invert and Clear.
bool actsOnArea(EditOperation operation);
/// Runs `operation` on `area` of the glyph, in a font of depth `ldepth`. Refused,
/// changing nothing, for a command that does not act on an area, a quarter turn
/// of an area that is not square, or Invert in a font of unknown depth.
EditResult editArea(EditOperation operation, Glyph &glyph, PixelArea area, std::uint8_t ldepth);

} // namespace Kernwick
