#pragma once

#include "libkernwick/font/editcommands.h"
#include "libkernwick/font/editingstate.h"
#include "libkernwick/font/editresult.h"
#include "libkernwick/font/font.h"

namespace Kernwick {

/// The glyph editor's operations on a font.
///
/// Each takes the font and the editing state, applies one editor command and
/// reports how the command must end (see EditResult). At a limit of the model
/// (Height, a Width or the glyph count at the end of its range, a one-glyph font,
/// no current glyph) an operation refuses and changes nothing. Operations marked
/// "size" recompute `fileSize` themselves.
///
/// Row operations act on every glyph, since all glyphs share one height; column,
/// move, clipboard and marker operations act on the current glyph only.

/// The menus and the conversions know two depths only: Ldepth 0 (1BPP) and 1
/// (2BPP). A file may hold another value; its depth-bound commands stay off.
inline bool isOneBpp(const Font &font)
{
    return font.header.ldepth == 0;
}
inline bool isTwoBpp(const Font &font)
{
    return font.header.ldepth == 1;
}

/// The pixel mappings of the depth conversions, which Paste between depths shares:
/// a 1BPP pixel in a 2BPP font (white stays white), and a 2BPP pixel in a 1BPP
/// font (halftone is lost; white, and 3 like white, stay white).
std::uint8_t toTwoBppPixel(std::uint8_t p);
std::uint8_t toOneBppPixel(std::uint8_t p);

/// Appends one transparent row to every glyph. Size. Refused at Height 255.
EditResult insertRow(Font &font, EditingState &state);
/// Removes the bottom row of every glyph; Ascent stays. Size. Refused at Height 1.
EditResult deleteRow(Font &font, EditingState &state);
/// Appends one transparent column to the current glyph. Size. Refused at Width 255.
EditResult insertColumn(Font &font, EditingState &state);
/// Removes the rightmost column of the current glyph; Left stays. Size. Refused at Width 0.
EditResult deleteColumn(Font &font, EditingState &state);
/// Inserts a blank glyph at the current code, shaped like the current glyph
/// (Offset, Left, Width, reserved bytes); the current glyph and all after it move
/// up one code. In a font without glyphs it adds one empty glyph of width 0 at
/// `first` and makes it current. Size. Refused when the table is full or the last
/// glyph would get a code above 65535.
EditResult insertCharacter(Font &font, EditingState &state);
/// Removes the current glyph; the glyphs after it move down one code. When the
/// last glyph is deleted, the one before it becomes current. Size. Refused for
/// the only glyph of a font.
EditResult deleteSelectedCharacter(Font &font, EditingState &state);
/// Makes every transparent pixel next to a white one (left, right, above, below)
/// halftone, in every glyph. Refused unless Ldepth is 1 (2BPP).
EditResult addOutline(Font &font, EditingState &state);
/// Shift the current glyph's image by one pixel inside its box; what leaves the
/// box is lost and what enters is transparent.
EditResult moveDown(Font &font, EditingState &state);
EditResult moveUp(Font &font, EditingState &state);
EditResult moveRight(Font &font, EditingState &state);
EditResult moveLeft(Font &font, EditingState &state);
/// 1BPP to 2BPP: white pixels (1) become 2, and a white `paintValue` becomes 2.
/// Size. Nothing happens when the font already has 2 bits per pixel; refused for
/// an Ldepth other than 0 and 1.
EditResult convertTo2Bpp(Font &font, EditingState &state);
/// 2BPP to 1BPP: halftone (1) becomes transparent, white (2) and the stray value
/// 3 become 1; a `paintValue` of 2 becomes 1 and a halftone `paintValue` paints
/// white. Size. Nothing happens when the font already has 1 bit per pixel;
/// refused for an Ldepth other than 0 and 1.
EditResult convertTo1Bpp(Font &font, EditingState &state);
/// Makes every pixel of the current glyph transparent.
EditResult clearGlyph(Font &font, EditingState &state);
/// Outline of the current glyph alone (see addOutline), for a range of glyphs.
/// Refused unless Ldepth is 1 (2BPP).
EditResult outlineCurrentGlyph(Font &font, EditingState &state);
/// Mirror the current glyph left to right, or top to bottom.
EditResult flipGlyphHorizontal(Font &font, EditingState &state);
EditResult flipGlyphVertical(Font &font, EditingState &state);
/// Turn the current glyph a quarter turn. Refused unless the glyph is square
/// (Width equal to Height), since its box keeps its shape.
EditResult rotateGlyphClockwise(Font &font, EditingState &state);
EditResult rotateGlyphAnticlockwise(Font &font, EditingState &state);
/// Swaps white and transparent in the current glyph; halftone, and a 3 read from a
/// file, stay as they are. Refused for an Ldepth other than 0 and 1.
EditResult invertGlyph(Font &font, EditingState &state);
/// Copies the current glyph (Width, Left, reserved bytes, Height rows) and the
/// font's depth into the clipboard and sets `canPaste`. Changes no font data.
EditResult copyGlyph(Font &font, EditingState &state);
/// Copy, then Clear.
EditResult cutGlyph(Font &font, EditingState &state);
/// Gives the current glyph the clipboard glyph's Width, Left, reserved bytes and
/// pixels; the glyph's Offset stays. Rows the clipboard glyph lacks (Height grew
/// since the Copy) are transparent. A glyph copied at the other depth is mapped as
/// the depth conversions map pixels. Size. Refused before the first Copy.
EditResult pasteGlyph(Font &font, EditingState &state);
/// Set `paintValue`: transparent 0, white 1 or 2 by depth, halftone 1 (2BPP only).
EditResult chooseTransparent(Font &font, EditingState &state);
EditResult chooseWhite(Font &font, EditingState &state);
EditResult chooseHalftone(Font &font, EditingState &state);
/// Ascent becomes `pickRow`, which must be a row of the glyphs (0 to Height - 1).
/// Set Ascent and Set Left change nothing (and ask for nothing) when the value
/// is already there.
EditResult setAscent(Font &font, EditingState &state);
/// The current glyph's Left becomes `pickColumn`, which must fit the Left byte:
/// -128 to 255 (128 to 255 give the same byte as -128 to -1).
EditResult setLeft(Font &font, EditingState &state);

/// Rows the developer's "mod" command takes off the bottom of the font.
inline constexpr int ModRowCount = 6;
/// The "mod" command: removes up to ModRowCount bottom rows from every glyph,
/// stopping at Height 1; the current glyph stays. Size. Refused at Height 1.
EditResult trimRows(Font &font, EditingState &state);

} // namespace Kernwick
