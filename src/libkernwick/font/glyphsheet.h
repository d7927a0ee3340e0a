#pragma once

#include "libkernwick/font/font.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace Kernwick {

/// A glyph sheet shows every glyph of a font in one picture that any pixel editor
/// can change, and carries in a text what the pixels cannot: the font's header and
/// each glyph's width, Left and reserved bytes. Reading a sheet back gives the font
/// it was made from, with whatever pixels were edited in the meantime.
///
/// The picture holds one cell per glyph, SheetColumns to a row, in table order.
/// Every cell is as wide as the widest glyph and as high as the font, and one-pixel
/// border lines run around and between the cells. A glyph's pixels fill its cell
/// from the left; the rest of the cell, the border lines and the cells after the
/// last glyph are in the border colour.

/// Glyph cells per row of a sheet.
inline constexpr int SheetColumns = 16;
/// The largest sheet, in pixels.
inline constexpr qint64 MaxSheetPixels = qint64(1) << 26;
/// The longest side of a sheet (the PNG library reads no longer one).
inline constexpr qint64 MaxSheetSide = 1000000;
/// The key of the text that carries a sheet's header and glyph table.
inline constexpr char SheetTextKey[] = "Kernwick glyph sheet";

/// The roles of a sheet's colours. A pixel of value v of a 2BPP font is shown in
/// colour v; in a 1BPP font value 1 is White.
enum class SheetColor : std::uint8_t
{
    Transparent,
    Halftone,
    White,
    ValueThree,
    Border
};
inline constexpr int SheetColorCount = 5;

/// Where a sheet puts the cells of a font's glyphs.
struct SheetGeometry
{
    int cellWidth = 0;  ///< the widest glyph's width
    int cellHeight = 0; ///< the font's height
    int glyphs = 0;

    int rows() const { return (glyphs + SheetColumns - 1) / SheetColumns; }
    qint64 width() const { return qint64(SheetColumns) * (cellWidth + 1) + 1; }
    qint64 height() const { return qint64(rows()) * (cellHeight + 1) + 1; }
    /// The top-left pixel of glyph `index`'s cell.
    qint64 cellLeft(int index) const { return qint64(index % SheetColumns) * (cellWidth + 1) + 1; }
    qint64 cellTop(int index) const { return qint64(index / SheetColumns) * (cellHeight + 1) + 1; }
    /// Whether the sheet stays within MaxSheetPixels and MaxSheetSide.
    bool fits() const;
};

/// The geometry of `font`'s sheet.
SheetGeometry sheetGeometry(const Font &font);

/// A sheet's picture as colour roles, row by row from the top.
struct SheetPicture
{
    int width = 0;
    int height = 0;
    std::vector<SheetColor> pixels;

    SheetColor at(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + x]; }
};

/// What a sheet's text holds: the font's 32-byte header and, per glyph, its width,
/// Left and two reserved bytes.
struct SheetRecord
{
    struct Entry
    {
        std::uint8_t width = 0;
        std::uint8_t left = 0;
        std::uint8_t reserved1 = 0;
        std::uint8_t reserved2 = 0;
    };
    QByteArray header;
    std::vector<Entry> glyphs;

    /// The geometry of the sheet this record belongs to.
    SheetGeometry geometry() const;
};

/// The text of `font`'s sheet: a first line naming the format, then "header "
/// with the 32 header bytes and "glyphs " with four bytes per glyph, both in
/// hexadecimal.
QByteArray sheetText(const Font &font);

/// Reads a sheet's text. On failure returns false with `error` saying what is
/// wrong with it; `record` is then unchanged.
bool parseSheetText(QByteArrayView text, SheetRecord *record, QString *error);

/// Draws `font`'s sheet. Returns false with `error` set when the sheet would not
/// fit within MaxSheetPixels and MaxSheetSide; nothing is allocated then.
bool drawSheet(const Font &font, SheetPicture *picture, QString *error);

/// Makes the font a sheet describes: header and glyph table from `record`, pixels
/// from `picture`, each glyph's Offset the running sum of the widths before it and
/// the file size computed. The picture must have the record's size, keep the border
/// colour wherever no glyph pixel lies, and give glyph pixels only colours the
/// font's depth holds. On failure returns false with `error` naming the first
/// pixel at fault (x from the left, y from the top, both from 0); `font` is then
/// unchanged.
bool fontFromSheet(const SheetRecord &record, const SheetPicture &picture, Font *font,
                   QString *error);

} // namespace Kernwick
