#include "libkernwick/font/glyphediting.h"

#include "libkernwick/font/edithistory.h"
#include "libkernwick/font/glyphdrawing.h"
#include "libkernwick/font/x2.h"

#include <algorithm>

namespace Kernwick {

std::uint8_t toTwoBppPixel(std::uint8_t p)
{
    return p != 0 ? 2 : 0; // white stays white
}

std::uint8_t toOneBppPixel(std::uint8_t p)
{
    return p >= 2 ? 1 : 0; // halftone is lost; white, and 3 like white, stay white
}

namespace {

// Gives every glyph `rows` rows, keeping the rows that stay; new rows are
// transparent. False, changing nothing, when the user would rather not make a change too
// large to undo.
bool setHeight(Font &font, EditingState &state, int rows)
{
    if (state.undoRecord && !state.undoRecord->recordHeightChange(font, rows))
        return false;
    for (Glyph &g : font.glyphs)
        g.resize(rows, g.width);
    font.header.height = std::uint8_t(rows);
    return true;
}

// Shifts the glyph's image by (down, right) pixels inside its box; pixels that
// leave the box are dropped and the ones that enter are transparent.
void shiftImage(Glyph &g, int down, int right)
{
    Glyph shifted = g;
    std::fill(shifted.pixels.begin(), shifted.pixels.end(), 0);
    for (int r = 0; r < g.rowCount; ++r) {
        const int toRow = r + down;
        if (toRow < 0 || toRow >= g.rowCount)
            continue;
        for (int c = 0; c < g.width; ++c) {
            const int toColumn = c + right;
            if (toColumn >= 0 && toColumn < g.width)
                shifted.setPixel(toRow, toColumn, g.pixel(r, c));
        }
    }
    g.pixels = std::move(shifted.pixels);
}

// Runs `change` on the current glyph; refused when there is none.
template <typename Change>
EditResult onCurrentGlyph(Font &font, const ViewState &state, Change change)
{
    const int index = currentGlyphIndex(font, state);
    if (index < 0)
        return EditResult::refuse(EditRefusal::NoCurrentGlyph);
    return change(font.glyphs[std::size_t(index)]);
}

EditResult rotate(Glyph &g, Turn turn)
{
    // The box keeps its Width and Height, so only a square image can turn in it.
    if (g.width != g.rowCount)
        return EditResult::refuse(EditRefusal::NotSquare);
    rotateQuarter(g, PixelArea::whole(g), turn);
    return EditResult::changed();
}

// Makes every transparent pixel next to a white one (left, right, above, below)
// halftone. Only transparent pixels change and white ones never do, so one pass
// in any order equals a simultaneous pass. The stray value 3 is kept.
void outline(Glyph &g)
{
    const auto mark = [&g](int r, int c) {
        if (r >= 0 && r < g.rowCount && c >= 0 && c < g.width && g.pixel(r, c) == 0)
            g.setPixel(r, c, 1);
    };
    for (int r = 0; r < g.rowCount; ++r) {
        for (int c = 0; c < g.width; ++c) {
            if (g.pixel(r, c) != 2)
                continue;
            mark(r, c - 1);
            mark(r, c + 1);
            mark(r - 1, c);
            mark(r + 1, c);
        }
    }
}

EditResult move(Font &font, EditingState &state, int down, int right)
{
    const int index = currentGlyphIndex(font, state);
    if (index < 0)
        return EditResult::refuse(EditRefusal::NoCurrentGlyph);
    shiftImage(font.glyphs[std::size_t(index)], down, right);
    return EditResult::changed();
}

// Copies the shape and the first `height` rows of `from` into `to`. Rows that
// `from` does not have are transparent; its Offset is not copied.
void copyInto(const Glyph &from, Glyph &to, int height)
{
    to.left = from.left;
    to.reserved1 = from.reserved1;
    to.reserved2 = from.reserved2;
    to.reset(height, from.width);
    const int rows = std::min(height, from.rowCount);
    for (int r = 0; r < rows; ++r)
        std::copy_n(from.row(r), from.width, to.row(r));
}

// Maps a glyph copied at one depth to another, as the depth conversions do, so
// white stays white and a 1BPP font never receives 2BPP values.
void mapDepth(Glyph &g, int fromBits, int toBits)
{
    if (fromBits == toBits)
        return;
    const auto map = toBits == 2 ? toTwoBppPixel : toOneBppPixel;
    for (std::uint8_t &p : g.pixels)
        p = map(p);
}

} // namespace

EditResult insertRow(Font &font, EditingState &state)
{
    if (font.header.height >= MaxGlyphSide)
        return EditResult::refuse(EditRefusal::HeightAtMaximum);
    if (!setHeight(font, state, font.header.height + 1))
        return EditResult::unchanged();
    font.computeFileSize();
    return EditResult::changed();
}

EditResult deleteRow(Font &font, EditingState &state)
{
    if (font.header.height <= 1)
        return EditResult::refuse(EditRefusal::HeightAtMinimum);
    if (!setHeight(font, state, font.header.height - 1))
        return EditResult::unchanged();
    font.computeFileSize();
    return EditResult::changed();
}

EditResult trimRows(Font &font, EditingState &state)
{
    if (font.header.height <= 1)
        return EditResult::refuse(EditRefusal::HeightAtMinimum);
    if (!setHeight(font, state, std::max(1, font.header.height - ModRowCount)))
        return EditResult::unchanged();
    font.computeFileSize();
    return EditResult::changed();
}

EditResult insertColumn(Font &font, EditingState &state)
{
    const int index = currentGlyphIndex(font, state);
    if (index < 0)
        return EditResult::refuse(EditRefusal::NoCurrentGlyph);
    Glyph &g = font.glyphs[std::size_t(index)];
    if (g.width >= MaxGlyphSide)
        return EditResult::refuse(EditRefusal::WidthAtMaximum);
    g.resize(font.header.height, g.width + 1);
    font.computeFileSize();
    return EditResult::changed();
}

EditResult deleteColumn(Font &font, EditingState &state)
{
    const int index = currentGlyphIndex(font, state);
    if (index < 0)
        return EditResult::refuse(EditRefusal::NoCurrentGlyph);
    Glyph &g = font.glyphs[std::size_t(index)];
    if (g.width == 0)
        return EditResult::refuse(EditRefusal::WidthAtMinimum);
    g.resize(font.header.height, g.width - 1);
    font.computeFileSize();
    return EditResult::changed();
}

EditResult insertCharacter(Font &font, EditingState &state)
{
    if (font.chars() >= MaxGlyphs)
        return EditResult::refuse(EditRefusal::TooManyGlyphs);
    // The new last glyph stands for first + chars.
    if (int(font.header.first) + font.chars() > 0xffff)
        return EditResult::refuse(EditRefusal::CodeAtMaximum);
    Glyph blank;
    int index = 0;
    if (font.chars() == 0) {
        state.currentCode = font.header.first;
    } else {
        index = currentGlyphIndex(font, state);
        if (index < 0)
            return EditResult::refuse(EditRefusal::NoCurrentGlyph);
        const Glyph &current = font.glyphs[std::size_t(index)];
        blank.offset = current.offset;
        blank.left = current.left;
        blank.reserved1 = current.reserved1;
        blank.reserved2 = current.reserved2;
        blank.width = current.width;
    }
    blank.reset(font.header.height, blank.width);
    if (state.undoRecord)
        state.undoRecord->recordInsertedGlyph(index);
    font.glyphs.insert(font.glyphs.begin() + index, std::move(blank));
    font.computeFileSize();
    return EditResult::changed();
}

EditResult deleteSelectedCharacter(Font &font, EditingState &state)
{
    const int index = currentGlyphIndex(font, state);
    if (index < 0)
        return EditResult::refuse(EditRefusal::NoCurrentGlyph);
    if (font.chars() == 1)
        return EditResult::refuse(EditRefusal::OnlyGlyph);
    if (state.undoRecord)
        state.undoRecord->recordDeletedGlyph(font, index);
    font.glyphs.erase(font.glyphs.begin() + index);
    // Deleting the last glyph leaves the code past the table: step back onto the
    // glyph that is now last.
    if (index == font.chars())
        --state.currentCode;
    font.computeFileSize();
    return EditResult::changed();
}

EditResult addOutline(Font &font, EditingState &state)
{
    if (!isTwoBpp(font))
        return EditResult::refuse(EditRefusal::NeedsTwoBpp);
    if (state.undoRecord && !state.undoRecord->recordTable(font))
        return EditResult::unchanged();
    for (Glyph &g : font.glyphs)
        outline(g);
    return EditResult::changed();
}

EditResult outlineCurrentGlyph(Font &font, EditingState &state)
{
    if (!isTwoBpp(font))
        return EditResult::refuse(EditRefusal::NeedsTwoBpp);
    const int index = currentGlyphIndex(font, state);
    if (index < 0)
        return EditResult::refuse(EditRefusal::NoCurrentGlyph);
    outline(font.glyphs[std::size_t(index)]);
    return EditResult::changed();
}

EditResult flipGlyphHorizontal(Font &font, EditingState &state)
{
    return onCurrentGlyph(font, state, [](Glyph &g) {
        flipHorizontal(g, PixelArea::whole(g));
        return EditResult::changed();
    });
}

EditResult flipGlyphVertical(Font &font, EditingState &state)
{
    return onCurrentGlyph(font, state, [](Glyph &g) {
        flipVertical(g, PixelArea::whole(g));
        return EditResult::changed();
    });
}

EditResult rotateGlyphClockwise(Font &font, EditingState &state)
{
    return onCurrentGlyph(font, state, [](Glyph &g) { return rotate(g, Turn::Clockwise); });
}

EditResult rotateGlyphAnticlockwise(Font &font, EditingState &state)
{
    return onCurrentGlyph(font, state, [](Glyph &g) { return rotate(g, Turn::Anticlockwise); });
}

EditResult invertGlyph(Font &font, EditingState &state)
{
    if (!isOneBpp(font) && !isTwoBpp(font))
        return EditResult::refuse(EditRefusal::UnknownDepth);
    const std::uint8_t white = isTwoBpp(font) ? 2 : 1;
    return onCurrentGlyph(font, state, [white](Glyph &g) {
        invertPixels(g, PixelArea::whole(g), white);
        return EditResult::changed();
    });
}

EditResult moveDown(Font &font, EditingState &state)
{
    return move(font, state, 1, 0);
}

EditResult moveUp(Font &font, EditingState &state)
{
    return move(font, state, -1, 0);
}

EditResult moveRight(Font &font, EditingState &state)
{
    return move(font, state, 0, 1);
}

EditResult moveLeft(Font &font, EditingState &state)
{
    return move(font, state, 0, -1);
}

EditResult convertTo2Bpp(Font &font, EditingState &state)
{
    if (isTwoBpp(font))
        return EditResult::unchanged();
    if (!isOneBpp(font))
        return EditResult::refuse(EditRefusal::UnknownDepth);
    if (state.undoRecord && !state.undoRecord->recordDepthChange(font))
        return EditResult::unchanged();
    font.header.ldepth = 1;
    for (Glyph &g : font.glyphs)
        for (std::uint8_t &p : g.pixels)
            p = toTwoBppPixel(p);
    // White stays white for the brush too.
    if (state.paintValue != 0)
        state.paintValue = 2;
    font.computeFileSize();
    return EditResult::changed();
}

EditResult convertTo1Bpp(Font &font, EditingState &state)
{
    if (isOneBpp(font))
        return EditResult::unchanged();
    if (!isTwoBpp(font))
        return EditResult::refuse(EditRefusal::UnknownDepth);
    if (state.undoRecord && !state.undoRecord->recordDepthChange(font))
        return EditResult::unchanged();
    font.header.ldepth = 0;
    for (Glyph &g : font.glyphs)
        for (std::uint8_t &p : g.pixels)
            p = toOneBppPixel(p);
    // A painting brush keeps painting something visible: white or halftone
    // become the 1BPP white, transparent stays transparent.
    if (state.paintValue != 0)
        state.paintValue = 1;
    font.computeFileSize();
    return EditResult::changed();
}

EditResult clearGlyph(Font &font, EditingState &state)
{
    const int index = currentGlyphIndex(font, state);
    if (index < 0)
        return EditResult::refuse(EditRefusal::NoCurrentGlyph);
    Glyph &g = font.glyphs[std::size_t(index)];
    std::fill(g.pixels.begin(), g.pixels.end(), 0);
    return EditResult::changed();
}

EditResult copyGlyph(Font &font, EditingState &state)
{
    const int index = currentGlyphIndex(font, state);
    if (index < 0)
        return EditResult::refuse(EditRefusal::NoCurrentGlyph);
    copyInto(font.glyphs[std::size_t(index)], state.clipboard.glyph, font.header.height);
    state.clipboard.ldepth = font.header.ldepth;
    state.canPaste = true;
    return EditResult::unchanged();
}

EditResult cutGlyph(Font &font, EditingState &state)
{
    const EditResult copied = copyGlyph(font, state);
    if (copied.refused())
        return copied;
    return clearGlyph(font, state);
}

EditResult pasteGlyph(Font &font, EditingState &state)
{
    if (!state.canPaste)
        return EditResult::refuse(EditRefusal::NothingToPaste);
    const int index = currentGlyphIndex(font, state);
    if (index < 0)
        return EditResult::refuse(EditRefusal::NoCurrentGlyph);
    Glyph &g = font.glyphs[std::size_t(index)];
    copyInto(state.clipboard.glyph, g, font.header.height);
    mapDepth(g, state.clipboard.ldepth == 0 ? 1 : 2, font.bitsPerPixel());
    font.computeFileSize();
    return EditResult::changed();
}

EditResult chooseTransparent(Font &, EditingState &state)
{
    state.paintValue = 0;
    return EditResult::unchanged();
}

EditResult chooseWhite(Font &font, EditingState &state)
{
    state.paintValue = font.whiteValue();
    return EditResult::unchanged();
}

EditResult chooseHalftone(Font &font, EditingState &state)
{
    if (!isTwoBpp(font))
        return EditResult::refuse(EditRefusal::NeedsTwoBpp);
    state.paintValue = 1;
    return EditResult::unchanged();
}

EditResult setAscent(Font &font, EditingState &state)
{
    if (state.pickRow < 0 || state.pickRow >= font.header.height)
        return EditResult::refuse(EditRefusal::RowOutsideGlyph);
    if (font.header.ascent == state.pickRow)
        return EditResult::unchanged();
    font.header.ascent = std::uint8_t(state.pickRow);
    return EditResult::changed();
}

EditResult setLeft(Font &font, EditingState &state)
{
    const int index = currentGlyphIndex(font, state);
    if (index < 0)
        return EditResult::refuse(EditRefusal::NoCurrentGlyph);
    if (state.pickColumn < -128 || state.pickColumn > 255)
        return EditResult::refuse(EditRefusal::ColumnOutOfRange);
    Glyph &g = font.glyphs[std::size_t(index)];
    const auto left = std::uint8_t(state.pickColumn & 0xff);
    if (g.left == left)
        return EditResult::unchanged();
    g.left = left;
    return EditResult::changed();
}

} // namespace Kernwick
