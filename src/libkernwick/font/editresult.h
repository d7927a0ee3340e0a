#pragma once

namespace Kernwick {

/// Why an editing operation left the font alone.
enum class EditRefusal
{
    None,              ///< not refused
    HeightAtMaximum,   ///< Height is already 255
    HeightAtMinimum,   ///< Height would drop below 1
    WidthAtMaximum,    ///< the glyph is already 255 columns wide
    WidthAtMinimum,    ///< the glyph has no column left
    TooManyGlyphs,     ///< the table already holds 65535 glyphs
    CodeAtMaximum,     ///< a new glyph would need a code above 65535
    OnlyGlyph,         ///< the last remaining glyph cannot be deleted
    NoCurrentGlyph,    ///< the current code names no glyph of the font
    NothingToPaste,    ///< nothing has been copied yet
    NeedsTwoBpp,       ///< Outline and Halftone work on 2BPP fonts only
    RowOutsideGlyph,   ///< Set Ascent needs a row from 0 to Height - 1
    ColumnOutOfRange,  ///< Set Left needs a column the Left byte can hold
    TooTallToDouble,   ///< X2 needs Height and Ascent of 127 or less
    UnknownDepth,      ///< the font's Ldepth is neither 0 (1BPP) nor 1 (2BPP)
    NotSquare,         ///< a quarter turn needs a glyph as wide as it is tall
    PixelOutsideGlyph, ///< a fill must start on a pixel of the glyph
    CodeOutsideFont,   ///< a range must run over codes of the font, first to last
    TakesNoRange,      ///< the command does not act on one glyph's pixels alone
    AreaNotSquare,     ///< a quarter turn of a selected area needs a square one
    TakesNoArea,       ///< the command does not act on a selected area
};

/// The outcome of one editing operation: whether it was refused, and whether it
/// changed the font. Operations that change a glyph's size or the glyph count
/// recompute `fileSize` themselves. A refused operation changes nothing.
struct EditResult
{
    EditRefusal refusal = EditRefusal::None;
    bool fontChanged = false;

    bool refused() const { return refusal != EditRefusal::None; }

    /// A refusal: nothing changed.
    static EditResult refuse(EditRefusal why) { return {why, false}; }
    /// The font changed.
    static EditResult changed() { return {EditRefusal::None, true}; }
    /// The font is untouched (Copy, colours, a conversion to the current depth).
    static EditResult unchanged() { return {}; }
};

/// A one-sentence explanation of a refusal, for messages and logs.
const char *refusalMessage(EditRefusal refusal);

} // namespace Kernwick
