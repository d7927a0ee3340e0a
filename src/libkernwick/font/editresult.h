#pragma once

namespace Kernwick {

/// Why an editing operation left the font alone.
enum class EditRefusal
{
    None,             ///< not refused
    HeightAtMaximum,  ///< Height is already 255
    HeightAtMinimum,  ///< Height would drop below 1
    WidthAtMaximum,   ///< the glyph is already 255 columns wide
    WidthAtMinimum,   ///< the glyph has no column left
    TooManyGlyphs,    ///< the table already holds 65535 glyphs
    CodeAtMaximum,    ///< a new glyph would need a code above 65535
    OnlyGlyph,        ///< the last remaining glyph cannot be deleted
    NoCurrentGlyph,   ///< the current code names no glyph of the font
    NothingToPaste,   ///< nothing has been copied yet
    NeedsTwoBpp,      ///< Outline and Halftone work on 2BPP fonts only
    RowOutsideGlyph,  ///< Set Ascent needs a row from 0 to Height - 1
    ColumnOutOfRange, ///< Set Left needs a column the Left byte can hold
    TooTallToDouble,  ///< X2 needs Height and Ascent of 127 or less
    UnknownDepth,     ///< the font's Ldepth is neither 0 (1BPP) nor 1 (2BPP)
};

/// How the editor view must be refreshed after an operation.
enum class Redraw
{
    None,    ///< nothing to show
    View,    ///< redraw the whole editor view
    AllViews ///< ask the document to update all its views
};

/// The outcome of one editing operation, telling the desktop program how to end
/// the command: whether the font changed, whether `fileSize` was recomputed (the
/// operation has already done it), how to redraw, and whether to mark the
/// document modified. A refused operation changes nothing and asks for nothing.
struct EditResult
{
    EditRefusal refusal = EditRefusal::None;
    bool fontChanged = false;
    bool fileSizeRecomputed = false;
    Redraw redraw = Redraw::None;
    bool modified = false;

    bool refused() const { return refusal != EditRefusal::None; }

    /// A refusal: nothing changed.
    static EditResult refuse(EditRefusal why) { return {why, false, false, Redraw::None, false}; }
    /// Changed pixels or dimensions, file size recomputed: redraw, mark modified.
    static EditResult resized() { return {EditRefusal::None, true, true, Redraw::View, true}; }
    /// Changed pixels only: redraw, mark modified.
    static EditResult repainted() { return {EditRefusal::None, true, false, Redraw::View, true}; }
    /// Changed a marker or the whole font without a new size (Set Ascent, Set Left,
    /// X2): update all views, mark modified.
    static EditResult updatedViews()
    {
        return {EditRefusal::None, true, false, Redraw::AllViews, true};
    }
    /// The font is untouched (Copy, colours, a conversion to the current depth).
    static EditResult unchanged() { return {}; }
};

/// A one-sentence explanation of a refusal, for messages and logs.
const char *refusalMessage(EditRefusal refusal);

} // namespace Kernwick
