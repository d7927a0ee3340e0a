#include "libkernwick/font/zvffile.h"

#include "libkernwick/io/savefile.h"

#include <QFile>

#include <cstring>

namespace Kernwick {

namespace {

constexpr int EntryBytes = 6;

void putU16(char *p, std::uint32_t v)
{
    p[0] = char(v & 0xff);
    p[1] = char((v >> 8) & 0xff);
}

void putU32(char *p, std::uint32_t v)
{
    putU16(p, v);
    putU16(p + 2, v >> 16);
}

std::uint32_t u8(const char *p)
{
    return std::uint8_t(*p);
}
std::uint32_t u16(const char *p)
{
    return u8(p) | u8(p + 1) << 8;
}
std::uint32_t u32(const char *p)
{
    return u16(p) | u16(p + 2) << 16;
}

// The header's layout: the name in bytes 0-11, then Skip, Pixwidth, Chars, First,
// Height, Ascent, Ldepth and Layout, little-endian; bytes 28-31 are reserved.

// Writes the header: `header`'s own fields with the given Skip, Pixwidth and
// Layout and `chars` glyphs; the reserved bytes stay as `out` holds them.
void putHeader(char *out, const FontHeader &header, int chars, std::uint32_t skip,
               std::uint32_t pixwidth, int layout)
{
    std::memcpy(out, header.name.data(), header.name.size());
    putU32(out + 12, skip);
    putU32(out + 16, pixwidth);
    putU16(out + 20, std::uint32_t(chars));
    putU16(out + 22, header.first);
    out[24] = char(header.height);
    out[25] = char(header.ascent);
    out[26] = char(header.ldepth);
    out[27] = char(layout);
}

// Takes the header's fields into `header` (its file size aside) and returns Chars.
int getHeader(const char *in, FontHeader &header)
{
    std::memcpy(header.name.data(), in, header.name.size());
    header.skip = u32(in + 12);
    header.pixwidth = u32(in + 16);
    header.first = std::uint16_t(u16(in + 22));
    header.height = std::uint8_t(in[24]);
    header.ascent = std::uint8_t(in[25]);
    header.ldepth = std::uint8_t(in[26]);
    header.layout = std::uint8_t(in[27]);
    return int(u16(in + 20));
}

// Bytes of each strip row that the file stores: the legacy layout stores every
// byte, the others only whole 4-byte column groups.
std::int64_t storedRowBytes(std::uint32_t pixwidth, int layout)
{
    return layout == 0 ? std::int64_t(pixwidth) : std::int64_t(pixwidth / 4) * 4;
}

// Where byte `j` of strip row `r` sits in the bitmap section.
std::int64_t bitmapIndex(std::int64_t j, int r, int height, int layout)
{
    if (layout == 0)
        return j * height + r;
    return (j / 4) * 4 * height + std::int64_t(r) * 4 + (j % 4);
}

// The bytes after the header that a file with `header` and `chars` glyphs needs:
// its glyph table and the stored part of its bitmap.
std::int64_t bodyBytes(const FontHeader &header, int chars)
{
    return glyphTableBytes(chars) + header.height * storedRowBytes(header.pixwidth, header.layout);
}

// Appends `count` pixels of `bits` bits each to a strip row at bit position `bit`.
void packPixels(const std::uint8_t *pixels, int count, int bits, std::uint8_t *row,
                std::int64_t &bit)
{
    const std::uint8_t mask = bits == 1 ? 0x1 : 0x3;
    for (int c = 0; c < count; ++c, bit += bits)
        row[bit >> 3] |= std::uint8_t((pixels[c] & mask) << (bit & 7));
}

void unpackPixels(const std::uint8_t *row, std::int64_t &bit, int bits, int count,
                  std::uint8_t *pixels)
{
    const std::uint8_t mask = bits == 1 ? 0x1 : 0x3;
    for (int c = 0; c < count; ++c, bit += bits)
        pixels[c] = (row[bit >> 3] >> (bit & 7)) & mask;
}

} // namespace

ZvfImage encodeZvf(const Font &font)
{
    ZvfImage image;
    ZvfDerivedFields &fields = image.fields;
    fields.offsets.reserve(font.glyphs.size());
    std::int64_t running = 0;
    for (const Glyph &g : font.glyphs) {
        fields.offsets.push_back(std::int32_t(running));
        if (running > 0xffff)
            fields.layout = 2;
        running += g.width;
    }
    const std::int64_t totalWidth = running;
    const int bits = font.bitsPerPixel();
    fields.pixwidth = std::uint32_t(stripRowBytes(totalWidth, bits));
    fields.fileSize = std::int32_t(zvfFileBytes(font.chars(), font.header.height, fields.pixwidth));

    QByteArray &file = image.bytes;
    file = QByteArray(fields.fileSize, '\0');
    char *out = file.data();

    putHeader(out, font.header, font.chars(), fields.skip, fields.pixwidth, fields.layout);

    char *entry = out + ZvfHeaderBytes;
    for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
        const Glyph &g = font.glyphs[i];
        const std::int32_t offset = fields.offsets[i];
        putU16(entry, std::uint32_t(offset));
        entry[2] = char(g.left);
        entry[3] = char(g.width);
        if (fields.layout == 2)
            entry[4] = char((offset >> 16) & 0xff);
        entry += EntryBytes;
    }
    putU16(entry, std::uint32_t(totalWidth)); // the terminator keeps only 16 bits

    const int height = font.header.height;
    const std::int64_t rowBytes = fields.pixwidth;
    char *bitmap = out + ZvfHeaderBytes + glyphTableBytes(font.chars());
    std::vector<std::uint8_t> row(std::size_t(rowBytes) + 1);
    for (int r = 0; r < height; ++r) {
        std::fill(row.begin(), row.end(), 0);
        std::int64_t bit = 0;
        for (const Glyph &g : font.glyphs) {
            if (r < g.rowCount)
                packPixels(g.row(r), g.width, bits, row.data(), bit);
            else
                bit += std::int64_t(g.width) * bits; // a glyph without rows is transparent
        }
        for (std::int64_t group = 0; group < rowBytes / 4; ++group)
            std::memcpy(bitmap + bitmapIndex(group * 4, r, height, 1), row.data() + group * 4, 4);
    }
    return image;
}

void adoptDerivedFields(Font &font, const ZvfDerivedFields &fields)
{
    font.header.layout = fields.layout;
    font.header.skip = fields.skip;
    font.header.pixwidth = fields.pixwidth;
    font.header.fileSize = fields.fileSize;
    for (std::size_t i = 0; i < font.glyphs.size() && i < fields.offsets.size(); ++i) {
        Glyph &g = font.glyphs[i];
        g.offset = fields.offsets[i];
        g.reserved1 = 0;
        g.reserved2 = 0;
    }
}

QByteArray writeZvf(Font &font)
{
    ZvfImage image = encodeZvf(font);
    adoptDerivedFields(font, image.fields);
    return std::move(image.bytes);
}

ZvfRead readZvf(QByteArrayView bytes, Font *font)
{
    if (bytes.isEmpty())
        return ZvfRead::Empty;
    if (bytes.size() < ZvfHeaderBytes)
        return ZvfRead::Malformed;

    const char *in = bytes.data();
    Font f;
    const int chars = getHeader(in, f.header);

    // Everything the reader needs must be in the file before anything is allocated.
    if (bytes.size() - ZvfHeaderBytes < bodyBytes(f.header, chars))
        return ZvfRead::Malformed;
    const std::int64_t tableBytes = glyphTableBytes(chars);
    const std::int64_t rowBytes = storedRowBytes(f.header.pixwidth, f.header.layout);

    f.resizeGlyphTable(chars);
    const char *entry = in + ZvfHeaderBytes;
    std::int64_t totalWidth = 0;
    for (Glyph &g : f.glyphs) {
        g.offset = std::int32_t(u16(entry));
        if (f.header.layout > 1)
            g.offset += std::int32_t(u8(entry + 4) << 16);
        g.left = std::uint8_t(entry[2]);
        g.width = std::uint8_t(entry[3]);
        g.reserved2 = std::uint8_t(entry[5]);
        totalWidth += g.width;
        entry += EntryBytes;
    }

    // A strip row too narrow for the glyph widths cannot be decoded faithfully.
    const int bits = f.bitsPerPixel();
    if ((totalWidth * bits + 7) / 8 > std::int64_t(f.header.pixwidth))
        return ZvfRead::Malformed;

    const char *bitmap = in + ZvfHeaderBytes + tableBytes;
    const int height = f.header.height;
    for (Glyph &g : f.glyphs)
        g.reset(height, g.width);
    // One extra zero byte lets the last pixel's byte be read without a bounds test;
    // bytes past the stored groups stay 0.
    std::vector<std::uint8_t> row(std::size_t((totalWidth * bits + 7) / 8) + 1);
    const std::int64_t usedBytes = std::min<std::int64_t>(std::int64_t(row.size()) - 1, rowBytes);
    for (int r = 0; r < height; ++r) {
        if (f.header.layout == 0) {
            for (std::int64_t j = 0; j < usedBytes; ++j)
                row[j] = std::uint8_t(bitmap[bitmapIndex(j, r, height, 0)]);
        } else {
            for (std::int64_t j = 0; j < usedBytes; j += 4)
                std::memcpy(row.data() + j, bitmap + bitmapIndex(j, r, height, 1),
                            std::min<std::int64_t>(4, usedBytes - j));
        }
        std::int64_t bit = 0;
        for (Glyph &g : f.glyphs)
            unpackPixels(row.data(), bit, bits, g.width, g.row(r));
    }

    f.computeFileSize();
    *font = std::move(f);
    return ZvfRead::Ok;
}

ZvfRead loadZvfFile(const QString &path, Font *font, QString *error)
{
    QFile file(path);
    if (!openRegularFile(&file, error))
        return ZvfRead::Malformed;
    // Read the header first: it says how much of the file the font needs, so a
    // large file is never read whole and a short one is refused at once.
    QByteArray bytes = file.read(ZvfHeaderBytes);
    if (bytes.size() == ZvfHeaderBytes) {
        FontHeader header;
        const int chars = getHeader(bytes.constData(), header);
        const std::int64_t needed = bodyBytes(header, chars);
        if (needed > file.size() - ZvfHeaderBytes) {
            *error = QString::fromLatin1(UnexpectedFileFormat);
            return ZvfRead::Malformed;
        }
        bytes += file.read(needed);
    }
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return ZvfRead::Malformed;
    }
    const ZvfRead result = readZvf(bytes, font);
    if (result == ZvfRead::Malformed)
        *error = QString::fromLatin1(UnexpectedFileFormat);
    return result;
}

bool saveZvfFile(const QString &path, Font &font, QString *error)
{
    const ZvfImage image = encodeZvf(font);
    if (!saveFileAtomically(path, image.bytes, error))
        return false;
    adoptDerivedFields(font, image.fields);
    return true;
}

QByteArray zvfHeader(const Font &font)
{
    QByteArray header(ZvfHeaderBytes, '\0');
    const FontHeader &h = font.header;
    putHeader(header.data(), h, font.chars(), h.skip, h.pixwidth, h.layout);
    return header;
}

void setZvfSkip(QByteArray &file, std::uint32_t skip)
{
    putU32(file.data() + 12, skip);
}

int readZvfHeader(QByteArrayView header, Font *font)
{
    return getHeader(header.data(), font->header);
}

} // namespace Kernwick
