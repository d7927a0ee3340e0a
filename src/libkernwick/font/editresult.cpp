#include "libkernwick/font/editresult.h"

namespace Kernwick {

const char *refusalMessage(EditRefusal refusal)
{
    switch (refusal) {
    case EditRefusal::None:
        return "";
    case EditRefusal::HeightAtMaximum:
        return "A glyph cannot have more than 255 rows.";
    case EditRefusal::HeightAtMinimum:
        return "A glyph must keep at least one row.";
    case EditRefusal::WidthAtMaximum:
        return "A glyph cannot have more than 255 columns.";
    case EditRefusal::WidthAtMinimum:
        return "The glyph has no column to delete.";
    case EditRefusal::TooManyGlyphs:
        return "A font cannot hold more than 65535 characters.";
    case EditRefusal::CodeAtMaximum:
        return "A character code cannot pass 65535.";
    case EditRefusal::OnlyGlyph:
        return "A font must keep at least one character.";
    case EditRefusal::NoCurrentGlyph:
        return "There is no current character.";
    case EditRefusal::NothingToPaste:
        return "Nothing has been copied yet.";
    case EditRefusal::NeedsTwoBpp:
        return "This needs a 2BPP font.";
    case EditRefusal::RowOutsideGlyph:
        return "The ascent must be a row of the glyph, from 0 to Height - 1.";
    case EditRefusal::ColumnOutOfRange:
        return "The left marker must lie between -128 and 255.";
    case EditRefusal::TooTallToDouble:
        return "X2 needs a Height and an Ascent of 127 or less.";
    case EditRefusal::UnknownDepth:
        return "The font's pixel depth is neither 1BPP nor 2BPP.";
    case EditRefusal::NotSquare:
        return "Only a square glyph can be rotated: its Width must equal its Height.";
    case EditRefusal::PixelOutsideGlyph:
        return "The pixel lies outside the glyph.";
    case EditRefusal::CodeOutsideFont:
        return "The range must run from a lower to a higher code of the font.";
    case EditRefusal::TakesNoRange:
        return "This command does not work on a range of characters.";
    case EditRefusal::AreaNotSquare:
        return "Only a square selection can be rotated.";
    case EditRefusal::TakesNoArea:
        return "This command does not work on a selection.";
    }
    return "";
}

} // namespace Kernwick
