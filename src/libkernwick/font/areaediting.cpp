#include "libkernwick/font/areaediting.h"

#include "libkernwick/font/glyphediting.h"

#include <algorithm>

namespace Kernwick {

PixelBlock liftBlock(const Glyph &glyph, PixelArea area, std::uint8_t ldepth)
{
    area = area.clippedTo(glyph);
    PixelBlock block;
    block.ldepth = ldepth;
    if (area.isEmpty())
        return block;
    block.rows = area.rows;
    block.columns = area.columns;
    block.pixels.reserve(std::size_t(area.rows) * std::size_t(area.columns));
    for (int r = area.top; r < area.top + area.rows; ++r)
        block.pixels.insert(block.pixels.end(), glyph.row(r) + area.left,
                            glyph.row(r) + area.left + area.columns);
    return block;
}

PixelBlock blockAtDepth(PixelBlock block, std::uint8_t ldepth)
{
    if (block.ldepth == ldepth || block.ldepth > 1 || ldepth > 1)
        return block;
    const auto map = ldepth == 1 ? toTwoBppPixel : toOneBppPixel;
    for (std::uint8_t &p : block.pixels)
        p = map(p);
    block.ldepth = ldepth;
    return block;
}

void dropBlock(Glyph &glyph, const PixelBlock &block, int top, int left)
{
    const PixelArea inside = PixelArea{top, left, block.rows, block.columns}.clippedTo(glyph);
    for (int r = inside.top; r < inside.top + inside.rows; ++r)
        for (int c = inside.left; c < inside.left + inside.columns; ++c)
            glyph.setPixel(r, c, block.pixel(r - top, c - left));
}

void clearArea(Glyph &glyph, PixelArea area)
{
    area = area.clippedTo(glyph);
    for (int r = area.top; r < area.top + area.rows; ++r)
        std::fill_n(glyph.row(r) + area.left, area.columns, std::uint8_t(0));
}

PixelArea moveArea(Glyph &glyph, PixelArea area, int down, int right)
{
    area = area.clippedTo(glyph);
    const PixelBlock block = liftBlock(glyph, area, 0);
    clearArea(glyph, area);
    dropBlock(glyph, block, area.top + down, area.left + right);
    return PixelArea{area.top + down, area.left + right, area.rows, area.columns}.clippedTo(glyph);
}

bool actsOnArea(EditOperation operation)
{
    switch (operation) {
    case EditOperation::FlipHorizontal:
    case EditOperation::FlipVertical:
    case EditOperation::RotateClockwise:
    case EditOperation::RotateAnticlockwise:
    case EditOperation::Invert:
    case EditOperation::Clear:
        return true;
    default:
        return false;
    }
}

EditResult editArea(EditOperation operation, Glyph &glyph, PixelArea area, std::uint8_t ldepth)
{
    switch (operation) {
    case EditOperation::FlipHorizontal:
        flipHorizontal(glyph, area);
        break;
    case EditOperation::FlipVertical:
        flipVertical(glyph, area);
        break;
    case EditOperation::RotateClockwise:
    case EditOperation::RotateAnticlockwise:
        if (!rotateQuarter(glyph, area,
                           operation == EditOperation::RotateClockwise ? Turn::Clockwise
                                                                       : Turn::Anticlockwise))
            return EditResult::refuse(EditRefusal::AreaNotSquare);
        break;
    case EditOperation::Invert:
        if (ldepth > 1)
            return EditResult::refuse(EditRefusal::UnknownDepth);
        invertPixels(glyph, area, ldepth == 1 ? 2 : 1);
        break;
    case EditOperation::Clear:
        clearArea(glyph, area);
        break;
    default:
        return EditResult::refuse(EditRefusal::TakesNoArea);
    }
    return EditResult::changed();
}

} // namespace Kernwick
