#include "libkernwick/font/glyphsheet.h"

#include "libkernwick/font/zvffile.h"

#include <QList>

#include <algorithm>

namespace Kernwick {

namespace {

constexpr char FormatLine[] = "Kernwick glyph sheet 1";
constexpr char HeaderPrefix[] = "header ";
constexpr char GlyphsPrefix[] = "glyphs ";
constexpr int EntryBytes = 4;

QString damaged(const QString &what)
{
    return QStringLiteral("The glyph sheet's text is damaged: %1").arg(what);
}

// Decodes hexadecimal digits strictly: QByteArray::fromHex skips what it cannot
// read, and a sheet with a changed digit must not pass for a good one.
bool fromHex(QByteArrayView text, QByteArray *bytes)
{
    if (text.size() % 2 != 0)
        return false;
    const auto digit = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    QByteArray out(text.size() / 2, '\0');
    for (qsizetype i = 0; i < out.size(); ++i) {
        const int high = digit(text[2 * i]);
        const int low = digit(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        out[i] = char(high << 4 | low);
    }
    *bytes = std::move(out);
    return true;
}

SheetColor colorOf(std::uint8_t value, std::uint8_t ldepth)
{
    if (ldepth == 0)
        return (value & 1) != 0 ? SheetColor::White : SheetColor::Transparent;
    return SheetColor(value & 3);
}

QString pixelName(qint64 x, qint64 y)
{
    return QStringLiteral("Pixel (%1, %2)").arg(x).arg(y);
}

QString sizeText(qint64 width, qint64 height)
{
    return QStringLiteral("%1 × %2").arg(width).arg(height);
}

} // namespace

bool SheetGeometry::fits() const
{
    return width() <= MaxSheetSide && height() <= MaxSheetSide &&
           width() * height() <= MaxSheetPixels;
}

SheetGeometry sheetGeometry(const Font &font)
{
    SheetGeometry geometry;
    for (const Glyph &g : font.glyphs)
        geometry.cellWidth = std::max<int>(geometry.cellWidth, g.width);
    geometry.cellHeight = font.header.height;
    geometry.glyphs = font.chars();
    return geometry;
}

SheetGeometry SheetRecord::geometry() const
{
    SheetGeometry geometry;
    for (const Entry &e : glyphs)
        geometry.cellWidth = std::max<int>(geometry.cellWidth, e.width);
    Font font;
    readZvfHeader(header, &font);
    geometry.cellHeight = font.header.height;
    geometry.glyphs = int(glyphs.size());
    return geometry;
}

QByteArray sheetText(const Font &font)
{
    QByteArray entries;
    entries.reserve(qsizetype(font.glyphs.size()) * EntryBytes);
    for (const Glyph &g : font.glyphs) {
        const char entry[EntryBytes] = {char(g.width), char(g.left), char(g.reserved1),
                                        char(g.reserved2)};
        entries.append(entry, EntryBytes);
    }
    return QByteArray(FormatLine) + '\n' + HeaderPrefix + zvfHeader(font).toHex() + '\n' +
           GlyphsPrefix + entries.toHex() + '\n';
}

bool parseSheetText(QByteArrayView text, SheetRecord *record, QString *error)
{
    QList<QByteArrayView> lines;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        QByteArrayView line = text.sliced(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(line);
        start = end + 1;
    }
    if (lines.isEmpty() || lines[0] != QByteArrayView(FormatLine)) {
        *error = damaged(QStringLiteral("it does not begin with \"%1\"").arg(FormatLine));
        return false;
    }
    if (lines.size() != 3 || !lines[1].startsWith(HeaderPrefix) ||
        !lines[2].startsWith(GlyphsPrefix)) {
        *error = damaged(QStringLiteral("it must hold a \"header\" line and a \"glyphs\" line"));
        return false;
    }
    SheetRecord parsed;
    if (!fromHex(lines[1].sliced(qsizetype(sizeof HeaderPrefix) - 1), &parsed.header) ||
        parsed.header.size() != ZvfHeaderBytes) {
        *error = damaged(
            QStringLiteral("the header is not %1 bytes in hexadecimal").arg(ZvfHeaderBytes));
        return false;
    }
    QByteArray entries;
    if (!fromHex(lines[2].sliced(qsizetype(sizeof GlyphsPrefix) - 1), &entries) ||
        entries.size() % EntryBytes != 0) {
        *error =
            damaged(QStringLiteral("the glyph table is not whole %1-byte entries in hexadecimal")
                        .arg(EntryBytes));
        return false;
    }
    Font header;
    const int chars = readZvfHeader(parsed.header, &header);
    if (entries.size() / EntryBytes != chars) {
        *error = damaged(QStringLiteral("the glyph table holds %1 glyphs but the header says %2")
                             .arg(entries.size() / EntryBytes)
                             .arg(chars));
        return false;
    }
    parsed.glyphs.resize(std::size_t(chars));
    for (int i = 0; i < chars; ++i) {
        const char *e = entries.constData() + qsizetype(i) * EntryBytes;
        parsed.glyphs[std::size_t(i)] = {std::uint8_t(e[0]), std::uint8_t(e[1]), std::uint8_t(e[2]),
                                         std::uint8_t(e[3])};
    }
    *record = std::move(parsed);
    return true;
}

bool drawSheet(const Font &font, SheetPicture *picture, QString *error)
{
    const SheetGeometry geometry = sheetGeometry(font);
    if (!geometry.fits()) {
        *error = QStringLiteral("The font's glyph sheet would be %1 pixels; a sheet may have at "
                                "most %2 pixels and %3 on a side")
                     .arg(sizeText(geometry.width(), geometry.height()))
                     .arg(MaxSheetPixels)
                     .arg(MaxSheetSide);
        return false;
    }
    SheetPicture sheet;
    sheet.width = int(geometry.width());
    sheet.height = int(geometry.height());
    sheet.pixels.assign(std::size_t(sheet.width) * std::size_t(sheet.height), SheetColor::Border);
    for (int i = 0; i < font.chars(); ++i) {
        const Glyph &g = font.glyphs[std::size_t(i)];
        const qint64 left = geometry.cellLeft(i);
        const qint64 top = geometry.cellTop(i);
        for (int r = 0; r < font.header.height; ++r) {
            SheetColor *out = sheet.pixels.data() + (top + r) * sheet.width + left;
            for (int c = 0; c < g.width; ++c)
                out[c] = r < g.rowCount ? colorOf(g.pixel(r, c), font.header.ldepth)
                                        : SheetColor::Transparent;
        }
    }
    *picture = std::move(sheet);
    return true;
}

bool fontFromSheet(const SheetRecord &record, const SheetPicture &picture, Font *font,
                   QString *error)
{
    const SheetGeometry geometry = record.geometry();
    if (picture.width != geometry.width() || picture.height != geometry.height()) {
        *error = QStringLiteral("The glyph sheet is %1 pixels, but the glyphs its text describes "
                                "need %2")
                     .arg(sizeText(picture.width, picture.height),
                          sizeText(geometry.width(), geometry.height()));
        return false;
    }

    Font f;
    const int chars = readZvfHeader(record.header, &f);
    f.resizeGlyphTable(chars);
    std::int32_t offset = 0;
    for (int i = 0; i < chars; ++i) {
        const SheetRecord::Entry &e = record.glyphs[std::size_t(i)];
        Glyph &g = f.glyphs[std::size_t(i)];
        g.offset = offset;
        g.left = e.left;
        g.reserved1 = e.reserved1;
        g.reserved2 = e.reserved2;
        g.reset(f.header.height, e.width);
        offset += e.width;
    }

    // Row by row from the top, so the first pixel at fault is the one named.
    const int pitch = geometry.cellWidth + 1;
    const int rowPitch = geometry.cellHeight + 1;
    for (int y = 0; y < picture.height; ++y) {
        const bool borderLine = y % rowPitch == 0;
        const int r = y % rowPitch - 1;
        for (int x = 0; x < picture.width; ++x) {
            const SheetColor color = picture.at(x, y);
            const int index = (y / rowPitch) * SheetColumns + x / pitch;
            const int c = x % pitch - 1;
            const bool onBorder = borderLine || c < 0;
            const bool inGlyph =
                !onBorder && index < chars && c < record.glyphs[std::size_t(index)].width;
            if (!inGlyph) {
                if (color == SheetColor::Border)
                    continue;
                QString where;
                if (onBorder)
                    where = QStringLiteral("is on a border line");
                else if (index >= chars)
                    where = QStringLiteral("lies in a cell after the last glyph");
                else
                    where = QStringLiteral("lies beyond the width (%1) of the glyph for code %2")
                                .arg(record.glyphs[std::size_t(index)].width)
                                .arg(int(f.header.first) + index);
                *error = QStringLiteral("%1 %2 and must keep the border colour")
                             .arg(pixelName(x, y), where);
                return false;
            }
            const auto glyphPixel = [&] {
                return QStringLiteral("%1 of the glyph for code %2")
                    .arg(pixelName(x, y))
                    .arg(int(f.header.first) + index);
            };
            if (color == SheetColor::Border) {
                *error = QStringLiteral("%1 has the border colour").arg(glyphPixel());
                return false;
            }
            std::uint8_t value = std::uint8_t(color);
            if (f.header.ldepth == 0) {
                if (color == SheetColor::Halftone || color == SheetColor::ValueThree) {
                    *error = QStringLiteral("%1 is %2, which a 1BPP font cannot hold")
                                 .arg(glyphPixel(), color == SheetColor::Halftone
                                                        ? QStringLiteral("halftone")
                                                        : QStringLiteral("of value 3"));
                    return false;
                }
                value = color == SheetColor::White ? 1 : 0;
            }
            f.glyphs[std::size_t(index)].setPixel(r, c, value);
        }
    }
    f.computeFileSize();
    *font = std::move(f);
    return true;
}

} // namespace Kernwick
