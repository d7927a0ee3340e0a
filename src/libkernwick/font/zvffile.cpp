#include "libkernwick/font/zvffile.h"

#include "libkernwick/io/savefile.h"

#include <QFile>

#include <cstring>

namespace Kernwick {

namespace {

constexpr int HeaderBytes = 32;
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

// Writes the 32-byte header: the font's own fields with the derived Skip,
// Pixwidth and Layout given; the reserved bytes stay as `out` holds them.
void putHeader(char *out, const Font &font, std::uint32_t skip, std::uint32_t pixwidth, int layout)
{
    std::memcpy(out, font.name.data(), font.name.size());
    putU32(out + 12, skip);
    putU32(out + 16, pixwidth);
    putU16(out + 20, std::uint32_t(font.chars()));
    putU16(out + 22, font.first);
    out[24] = char(font.height);
    out[25] = char(font.ascent);
    out[26] = char(font.ldepth);
    out[27] = char(layout);
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
    fields.fileSize = std::int32_t(32 + glyphTableBytes(font.chars()) +
                                   roundUp32(font.height * std::int64_t(fields.pixwidth)));

    QByteArray &file = image.bytes;
    file = QByteArray(fields.fileSize, '\0');
    char *out = file.data();

    putHeader(out, font, fields.skip, fields.pixwidth, fields.layout);

    char *entry = out + HeaderBytes;
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

    const int height = font.height;
    const std::int64_t rowBytes = fields.pixwidth;
    char *bitmap = out + HeaderBytes + glyphTableBytes(font.chars());
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
    font.layout = fields.layout;
    font.skip = fields.skip;
    font.pixwidth = fields.pixwidth;
    font.fileSize = fields.fileSize;
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
    if (bytes.size() < HeaderBytes)
        return ZvfRead::Malformed;

    const char *in = bytes.data();
    Font f;
    std::memcpy(f.name.data(), in, f.name.size());
    f.skip = u32(in + 12);
    f.pixwidth = u32(in + 16);
    const int chars = int(u16(in + 20));
    f.first = std::uint16_t(u16(in + 22));
    f.height = std::uint8_t(in[24]);
    f.ascent = std::uint8_t(in[25]);
    f.ldepth = std::uint8_t(in[26]);
    f.layout = std::uint8_t(in[27]);

    // Everything the reader needs must be in the file before anything is allocated.
    const std::int64_t tableBytes = glyphTableBytes(chars);
    const std::int64_t rowBytes = storedRowBytes(f.pixwidth, f.layout);
    const std::int64_t bitmapBytes = f.height * rowBytes;
    if (bytes.size() < HeaderBytes + tableBytes + bitmapBytes)
        return ZvfRead::Malformed;

    f.resizeGlyphTable(chars);
    const char *entry = in + HeaderBytes;
    std::int64_t totalWidth = 0;
    for (Glyph &g : f.glyphs) {
        g.offset = std::int32_t(u16(entry));
        if (f.layout > 1)
            g.offset += std::int32_t(u8(entry + 4) << 16);
        g.left = std::uint8_t(entry[2]);
        g.width = std::uint8_t(entry[3]);
        g.reserved2 = std::uint8_t(entry[5]);
        totalWidth += g.width;
        entry += EntryBytes;
    }

    // A strip row too narrow for the glyph widths cannot be decoded faithfully.
    const int bits = f.bitsPerPixel();
    if ((totalWidth * bits + 7) / 8 > std::int64_t(f.pixwidth))
        return ZvfRead::Malformed;

    const char *bitmap = in + HeaderBytes + tableBytes;
    const int height = f.height;
    for (Glyph &g : f.glyphs)
        g.reset(height, g.width);
    // One extra zero byte lets the last pixel's byte be read without a bounds test;
    // bytes past the stored groups stay 0.
    std::vector<std::uint8_t> row(std::size_t((totalWidth * bits + 7) / 8) + 1);
    const std::int64_t usedBytes = std::min<std::int64_t>(std::int64_t(row.size()) - 1, rowBytes);
    for (int r = 0; r < height; ++r) {
        if (f.layout == 0) {
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
    QByteArray bytes = file.read(HeaderBytes);
    if (bytes.size() == HeaderBytes) {
        const char *h = bytes.constData();
        const std::uint8_t height = std::uint8_t(h[24]);
        const std::uint8_t layout = std::uint8_t(h[27]);
        const std::int64_t needed =
            glyphTableBytes(int(u16(h + 20))) + height * storedRowBytes(u32(h + 16), layout);
        if (needed > file.size() - HeaderBytes) {
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
    QByteArray header(HeaderBytes, '\0');
    putHeader(header.data(), font, font.skip, font.pixwidth, font.layout);
    return header;
}

int readZvfHeader(QByteArrayView header, Font *font)
{
    const char *in = header.data();
    std::memcpy(font->name.data(), in, font->name.size());
    font->skip = u32(in + 12);
    font->pixwidth = u32(in + 16);
    font->first = std::uint16_t(u16(in + 22));
    font->height = std::uint8_t(in[24]);
    font->ascent = std::uint8_t(in[25]);
    font->ldepth = std::uint8_t(in[26]);
    font->layout = std::uint8_t(in[27]);
    return int(u16(in + 20));
}

} // namespace Kernwick
