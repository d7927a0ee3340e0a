#include "libkernwick/render/glyphsheetimage.h"

#include "libkernwick/io/savefile.h"
#include "libkernwick/render/imagereading.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <array>
#include <optional>

namespace Kernwick {

namespace {

constexpr std::array<QRgb, SheetColorCount> Palette{
    qRgb(0, 0, 0),       // transparent
    qRgb(128, 128, 128), // halftone
    qRgb(255, 255, 255), // white
    qRgb(255, 153, 0),   // value 3, as the editor shows it
    qRgb(51, 85, 170),   // borders and the room around the glyphs
};

// What Qt's readers may allocate for a sheet: they count at least 4 bytes a pixel,
// so every sheet the writer makes (at most MaxSheetPixels) reads back.
constexpr qint64 SheetDecodeBudget = MaxSheetPixels * 4;

// Rows converted at a time when the picture is not in the sheet's own palette,
// so a large sheet never needs a second full-size copy.
constexpr int StripRows = 256;

std::optional<SheetColor> roleOf(QRgb rgba)
{
    for (int i = 0; i < SheetColorCount; ++i)
        if (Palette[std::size_t(i)] == rgba)
            return SheetColor(i);
    return std::nullopt;
}

QString foreignColour(int x, int y, QRgb rgba)
{
    const QColor colour = QColor::fromRgba(rgba);
    const QString name =
        qAlpha(rgba) == 255
            ? colour.name(QColor::HexRgb)
            : QStringLiteral("%1 (alpha %2)").arg(colour.name(QColor::HexRgb)).arg(qAlpha(rgba));
    return QStringLiteral("Pixel (%1, %2) has the colour %3, which is not one of the glyph "
                          "sheet's colours")
        .arg(x)
        .arg(y)
        .arg(name);
}

// Takes each pixel's colour role, refusing the first pixel of any other colour.
bool classify(const QImage &image, SheetPicture *picture, QString *error)
{
    SheetPicture sheet;
    sheet.width = image.width();
    sheet.height = image.height();
    sheet.pixels.resize(std::size_t(sheet.width) * std::size_t(sheet.height));
    SheetColor *out = sheet.pixels.data();

    if (image.format() == QImage::Format_Indexed8) {
        const QList<QRgb> table = image.colorTable();
        std::array<std::optional<SheetColor>, 256> roles{};
        for (qsizetype i = 0; i < table.size() && i < 256; ++i)
            roles[std::size_t(i)] = roleOf(table[i]);
        for (int y = 0; y < sheet.height; ++y) {
            const uchar *in = image.constScanLine(y);
            for (int x = 0; x < sheet.width; ++x, ++out) {
                const std::optional<SheetColor> role = roles[in[x]];
                if (!role) {
                    *error = foreignColour(x, y, in[x] < table.size() ? table[in[x]] : 0);
                    return false;
                }
                *out = *role;
            }
        }
    } else {
        for (int top = 0; top < sheet.height; top += StripRows) {
            const int rows = std::min(StripRows, sheet.height - top);
            const QImage strip =
                image.copy(0, top, sheet.width, rows).convertToFormat(QImage::Format_ARGB32);
            if (strip.isNull()) {
                *error = QStringLiteral("Not enough memory to read the glyph sheet");
                return false;
            }
            for (int y = 0; y < rows; ++y) {
                const auto *in = reinterpret_cast<const QRgb *>(strip.constScanLine(y));
                for (int x = 0; x < sheet.width; ++x, ++out) {
                    const std::optional<SheetColor> role = roleOf(in[x]);
                    if (!role) {
                        *error = foreignColour(x, top + y, in[x]);
                        return false;
                    }
                    *out = *role;
                }
            }
        }
    }
    *picture = std::move(sheet);
    return true;
}

QString damagedPicture()
{
    return QStringLiteral("The PNG picture is damaged and cannot be read");
}

QString missingText()
{
    return QStringLiteral("The picture has no \"%1\" text, so it is not a glyph sheet (or the "
                          "program that saved it dropped the text)")
        .arg(QString::fromLatin1(SheetTextKey));
}

} // namespace

QRgb sheetColorRgb(SheetColor color)
{
    return Palette[std::size_t(color)];
}

bool writeGlyphSheet(const Font &font, QIODevice *device, QString *error)
{
    SheetPicture sheet;
    if (!drawSheet(font, &sheet, error))
        return false;
    QImage image(sheet.width, sheet.height, QImage::Format_Indexed8);
    if (image.isNull()) {
        *error = QStringLiteral("Not enough memory for the glyph sheet");
        return false;
    }
    image.setColorTable(QList<QRgb>(Palette.begin(), Palette.end()));
    for (int y = 0; y < sheet.height; ++y) {
        uchar *row = image.scanLine(y);
        const SheetColor *in = sheet.pixels.data() + std::size_t(y) * std::size_t(sheet.width);
        for (int x = 0; x < sheet.width; ++x)
            row[x] = uchar(in[x]);
    }
    image.setText(QString::fromLatin1(SheetTextKey), QString::fromLatin1(sheetText(font)));
    QImageWriter writer(device, "png");
    if (!writer.write(image)) {
        *error = QStringLiteral("Cannot write the glyph sheet: %1").arg(writer.errorString());
        return false;
    }
    return true;
}

bool readGlyphSheet(QIODevice *device, Font *font, QString *error)
{
    if (!pngChunksFit(device)) {
        *error = damagedPicture();
        return false;
    }
    QImageReader reader(device, "png");
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead()) {
        *error = QStringLiteral("The file is not a PNG picture");
        return false;
    }
    const QSize size = reader.size();
    if (!size.isValid()) {
        *error = damagedPicture();
        return false;
    }
    if (size.width() > MaxSheetSide || size.height() > MaxSheetSide ||
        qint64(size.width()) * size.height() > MaxSheetPixels) {
        *error = QStringLiteral("The picture is %1 × %2 pixels, larger than any glyph sheet (at "
                                "most %3 pixels and %4 on a side)")
                     .arg(size.width())
                     .arg(size.height())
                     .arg(MaxSheetPixels)
                     .arg(MaxSheetSide);
        return false;
    }

    // The text normally comes before the pixels; then a picture of the wrong size
    // is refused before it is decoded.
    const QString key = QString::fromLatin1(SheetTextKey);
    SheetRecord record;
    bool haveRecord = false;
    QString text = reader.text(key);
    if (!text.isEmpty()) {
        if (!parseSheetText(text.toUtf8(), &record, error))
            return false;
        const SheetGeometry geometry = record.geometry();
        if (geometry.width() != size.width() || geometry.height() != size.height()) {
            *error = QStringLiteral("The glyph sheet is %1 × %2 pixels, but the glyphs its text "
                                    "describes need %3 × %4")
                         .arg(size.width())
                         .arg(size.height())
                         .arg(geometry.width())
                         .arg(geometry.height());
            return false;
        }
        haveRecord = true;
    }

    // A picture of 16 bits per channel decodes into 8 bytes a pixel.
    const qint64 bytesPerPixel =
        std::max(4, QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel() / 8);
    if (qint64(size.width()) * size.height() * bytesPerPixel > SheetDecodeBudget) {
        *error = QStringLiteral("The picture has 16 bits per channel, which makes it too large "
                                "to read as a glyph sheet; save it with 8 bits per channel");
        return false;
    }
    const ImageAllocationLimit limit(SheetDecodeBudget);
    const QImage image = reader.read();
    if (image.isNull()) {
        // Qt's own text for a broken PNG is mostly "Unknown error".
        *error = damagedPicture();
        return false;
    }
    if (!haveRecord) {
        // Some editors move text chunks behind the pixels.
        text = image.text(key);
        if (text.isEmpty()) {
            *error = missingText();
            return false;
        }
        if (!parseSheetText(text.toUtf8(), &record, error))
            return false;
    }
    SheetPicture picture;
    if (!classify(image, &picture, error))
        return false;
    return fontFromSheet(record, picture, font, error);
}

bool loadGlyphSheetFile(const QString &path, Font *font, QString *error)
{
    QFile file(path);
    if (!openRegularFile(&file, error))
        return false;
    return readGlyphSheet(&file, font, error);
}

} // namespace Kernwick
