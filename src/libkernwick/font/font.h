#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace Kernwick {

/// The largest number of glyphs a font can hold (the glyph count is 16-bit).
inline constexpr int MaxGlyphs = 65535;
/// The largest glyph height and width (both are 8-bit).
inline constexpr int MaxGlyphSide = 255;
/// The largest character code a font may give a glyph (codes are 16-bit).
inline constexpr int MaxCharacterCode = 65535;
/// The longest font name, in bytes: the 12-byte name field keeps its NUL.
inline constexpr int MaxFontNameLength = 11;

/// One entry of a font's glyph table: a bitmap of one byte per pixel.
///
/// Pixel values: 0 transparent; 1 white in a 1BPP font, halftone in a 2BPP font;
/// 2 white in a 2BPP font. A 2BPP file may hold 3, which is kept as it is.
///
/// `pixels` holds `rowCount` rows of `width` values, row 0 at the top. Change the
/// dimensions only through resize() so that the two always agree.
struct Glyph
{
    std::int32_t offset = 0; ///< first column in the packed strip, in pixels
    std::uint8_t left = 0;   ///< left marker column; shown as a signed number
    std::uint8_t width = 0;  ///< pixel columns, 0 to 255
    std::uint8_t reserved1 = 0;
    std::uint8_t reserved2 = 0;
    int rowCount = 0; ///< equals the font's height once the glyph is sized
    std::vector<std::uint8_t> pixels;

    std::uint8_t pixel(int row, int column) const { return pixels[row * width + column]; }
    void setPixel(int row, int column, std::uint8_t value) { pixels[row * width + column] = value; }
    std::uint8_t *row(int r) { return pixels.data() + r * width; }
    const std::uint8_t *row(int r) const { return pixels.data() + r * width; }

    /// Resizes to `rows` × `newWidth`, keeping the pixels that stay inside and
    /// making every new pixel 0.
    void resize(int rows, int newWidth);
    /// Makes the glyph `rows` × `newWidth` and fully transparent.
    void reset(int rows, int newWidth);

    bool operator==(const Glyph &) const = default;
};

/// A font's fields apart from its glyph table: the file header's fields as the
/// font holds them, and the size of the file it would make. Kept as one value, so
/// undo records and restores every one of them at once.
struct FontHeader
{
    std::array<char, 12> name{}; ///< up to 11 characters and a NUL, then whatever followed
    std::uint32_t skip = 0;      ///< distance to the next font in a joined file
    std::uint32_t pixwidth = 0;  ///< bytes per strip row, as last read or written
    std::uint16_t first = 32;
    std::uint8_t height = 14;
    std::uint8_t ascent = 10;
    std::uint8_t ldepth = 0; ///< 0 = 1 bit per pixel, 1 = 2 bits per pixel
    std::uint8_t layout = 0; ///< layout of the file last read or written
    std::int32_t fileSize = 0;

    bool operator==(const FontHeader &) const = default;
};

/// A ZUVO bitmap font: the header and the glyph table.
///
/// A plain value type shared by the document, the editor, the importers and the CLI.
/// Glyph i stands for the character code `header.first` + i; the glyph count
/// (`chars()`) is the length of the table.
struct Font
{
    FontHeader header;
    std::vector<Glyph> glyphs;

    int chars() const { return int(glyphs.size()); }
    /// Bits per pixel in a file: 1 when `ldepth` is 0, else 2.
    int bitsPerPixel() const { return header.ldepth == 0 ? 1 : 2; }
    /// The pixel value that "White" paints at this depth.
    std::uint8_t whiteValue() const { return header.ldepth == 0 ? 1 : 2; }

    /// The name up to its NUL.
    QByteArray nameText() const;
    /// Clears all 12 name bytes and copies in at most MaxFontNameLength bytes of
    /// `text` (a new font's name).
    void setName(const QByteArray &text);
    /// Renames the font: copies at most MaxFontNameLength bytes of `text` and a
    /// NUL, and leaves the bytes after that NUL as they were, so a renamed font
    /// saves the rest of its name field unchanged.
    void rename(const QByteArray &text);
    /// The code of the last glyph, first + chars - 1 (first - 1 without glyphs). A
    /// file may hold codes past MaxCharacterCode; fonts the program makes never do.
    int lastCode() const { return int(header.first) + chars() - 1; }

    /// Makes the table `n` glyphs long. Glyphs that stay keep their content; new
    /// glyphs are empty (width 0, no rows) and are sized by the caller.
    void resizeGlyphTable(int n);
    /// Appends one empty glyph and recomputes `fileSize`.
    void appendGlyph();
    /// Sets `fileSize` to the size of the file that saving would write now.
    void computeFileSize();
    /// The sum of all glyph widths in pixels.
    std::int64_t totalWidth() const;

    bool operator==(const Font &) const = default;
};

/// Checks a font name as every name field does: at most MaxFontNameLength
/// characters, each one byte (Latin-1). Returns the field's message, "Please enter
/// no more than 11 characters.", or an empty text when the name is accepted.
QString fontNameProblem(const QString &name);

/// The font of a fresh document: "default", 95 transparent glyphs of 8 × 14 for
/// the codes 32 to 126, ascent 10, 1BPP, with its file size computed.
Font defaultFont();

/// Strip row bytes for `totalWidth` pixels at `bitsPerPixel`: the bytes the bits
/// need, rounded up to a multiple of 4.
std::int64_t stripRowBytes(std::int64_t totalWidth, int bitsPerPixel);

/// The size of a font file's header.
inline constexpr int ZvfHeaderBytes = 32;

/// Size of the 6-byte-per-entry glyph table with its terminator, padded to 32.
std::int64_t glyphTableBytes(int chars);

/// Rounds up to the next multiple of 32.
constexpr std::int64_t roundUp32(std::int64_t n)
{
    return (n + 31) / 32 * 32;
}

/// The length of the file a font with `chars` glyphs of `height` rows makes when
/// its strip rows are `pixwidth` bytes: header, glyph table and bitmap, each padded.
std::int64_t zvfFileBytes(int chars, int height, std::int64_t pixwidth);

} // namespace Kernwick
