#pragma once

#include "libkernwick/font/font.h"

#include <cstdint>

namespace Kernwick {

struct EditStep;

/// What one editor view remembers between commands: which glyph it edits, what
/// mouse painting writes, whether anything was copied, and the cell under the
/// last right-click.
struct ViewState
{
    /// Code of the glyph being edited: the current glyph is entry currentCode -
    /// first. Wider than 16 bits, so a file whose codes run past 65535 keeps every
    /// glyph reachable.
    int currentCode = 32;
    std::uint8_t paintValue = 1; ///< pixel value that mouse painting writes, 0 to 2
    bool canPaste = false;       ///< set by the first Copy, never cleared
    std::int32_t pickRow = 0;    ///< glyph row under the last right-click
    std::int32_t pickColumn = 0; ///< glyph column under the last right-click

    bool operator==(const ViewState &) const = default;
};

/// The copy-and-paste glyph, with the pixel depth of the font it came from so a
/// paste into a font of the other depth can map its pixels.
struct Clipboard
{
    Glyph glyph;
    std::uint8_t ldepth = 0;

    bool operator==(const Clipboard &) const = default;
};

/// Everything an editing operation may touch besides the font: the view's state
/// and the clipboard. The desktop program keeps the two apart (one view state per
/// view, one clipboard in the document) and hands them to the operations together.
struct EditingState : ViewState
{
    Clipboard clipboard;
    /// Where a table-wide command records what it is about to destroy, so the
    /// change can be undone; nullptr when nothing is kept.
    EditStep *undoRecord = nullptr;
};

/// A fresh state for `font`: its first glyph current, painting white, nothing copied.
EditingState initialEditingState(const Font &font);

/// What a view does when the font has been replaced as a whole: the first glyph
/// becomes current and painting goes back to white. `canPaste` and the pick
/// positions are kept, so a glyph copied from one font can be pasted into the next.
void resetForNewFont(ViewState &state, const Font &font);

/// Index of the current glyph in the glyph table, or -1 when `currentCode` names
/// no glyph (for instance in a font without glyphs).
int currentGlyphIndex(const Font &font, const ViewState &state);

/// Makes `code` the current glyph. Returns false, changing nothing, when the font
/// has no glyph for that code.
bool selectCode(const Font &font, ViewState &state, int code);

/// Keeps `currentCode` on a glyph after the table shrank or was replaced: a code
/// past the last glyph moves to the last glyph, one before the first to the first;
/// a paint value the font's depth does not have becomes its white.
void clampToFont(const Font &font, ViewState &state);

} // namespace Kernwick
