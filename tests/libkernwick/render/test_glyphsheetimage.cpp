// Glyph sheets as PNG pictures: exact round trips, pixels edited by another
// program, foreign colours and hostile pictures.

#include "namedcase.h"
#include "testapplication.h"

#include "libkernwick/font/zvffile.h"
#include "libkernwick/render/glyphsheetimage.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QtEndian>

#include <gtest/gtest.h>

#include <random>

KERNWICK_TEST_APPLICATION(QGuiApplication);

using namespace Kernwick;

namespace {

QByteArray writeSheet(const Font &font)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString error;
    EXPECT_TRUE(writeGlyphSheet(font, &buffer, &error)) << error.toStdString();
    return buffer.data();
}

bool readSheet(const QByteArray &png, Font *font, QString *error)
{
    QBuffer buffer;
    buffer.setData(png);
    buffer.open(QIODevice::ReadOnly);
    return readGlyphSheet(&buffer, font, error);
}

QByteArray encodePng(const QImage &image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "PNG"));
    return buffer.data();
}

// The font as a file written by the program, and read back: what a user exports.
Font asSaved(Font font)
{
    const QByteArray bytes = writeZvf(font);
    Font read;
    EXPECT_EQ(readZvf(bytes, &read), ZvfRead::Ok);
    return read;
}

Font twoBppWithValueThree()
{
    Font font = defaultFont();
    font.header.ldepth = 1;
    std::mt19937 random(7);
    for (Glyph &g : font.glyphs) {
        g.resize(font.header.height, int(random() % 12));
        for (auto &p : g.pixels)
            p = std::uint8_t(random() % 4);
    }
    font.glyphs[5].resize(font.header.height, 0);
    font.glyphs[6].left = 200;
    return asSaved(font);
}

Font everyGlyph()
{
    Font font = defaultFont();
    font.header.first = 0;
    font.resizeGlyphTable(MaxGlyphs);
    std::mt19937 random(11);
    for (Glyph &g : font.glyphs) {
        g.reset(font.header.height, 8);
        g.setPixel(int(random() % 14), int(random() % 8), 1);
    }
    return asSaved(font);
}

struct RoundTripCase : Test::NamedCase
{
    Font (*make)();
};

class SheetRoundTrip : public ::testing::TestWithParam<RoundTripCase>
{
};

} // namespace

TEST_P(SheetRoundTrip, GivesTheFontFileBackByteForByte)
{
    Font font = GetParam().make();
    const QByteArray file = encodeZvf(font).bytes;
    Font read;
    QString error;
    ASSERT_TRUE(readSheet(writeSheet(font), &read, &error)) << error.toStdString();
    EXPECT_EQ(read, font);
    EXPECT_EQ(encodeZvf(read).bytes, file);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SheetRoundTrip,
    ::testing::Values(RoundTripCase{"DefaultFont", [] { return asSaved(defaultFont()); }},
                      RoundTripCase{"TwoBppWithValueThree", twoBppWithValueThree},
                      RoundTripCase{"AllGlyphs65535", everyGlyph}),
    Test::CaseName());

TEST(GlyphSheetImage, TheSheetIsAPaletteWithTheFiveColoursAndTheText)
{
    const QImage image = QImage::fromData(writeSheet(twoBppWithValueThree()), "PNG");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(16 * 12 + 1, 6 * 15 + 1));
    EXPECT_EQ(image.pixel(0, 0), sheetColorRgb(SheetColor::Border));
    EXPECT_TRUE(image.text(QString::fromLatin1(SheetTextKey)).startsWith("Kernwick glyph sheet 1"));
    const std::vector<QRgb> colours = {qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(255, 255, 255),
                                       qRgb(255, 153, 0), qRgb(51, 85, 170)};
    for (int i = 0; i < SheetColorCount; ++i)
        EXPECT_EQ(sheetColorRgb(SheetColor(i)), colours[std::size_t(i)]);
}

TEST(GlyphSheetImage, APixelEditedByAnotherProgramIsImportedAndNothingElse)
{
    const Font font = twoBppWithValueThree();
    // Another program loads the sheet, paints one pixel and saves it as RGB with
    // alpha, keeping the text, as pixel editors do.
    QImage image = QImage::fromData(writeSheet(font), "PNG").convertToFormat(QImage::Format_ARGB32);
    const SheetGeometry geometry = sheetGeometry(font);
    const int glyph = 20;
    ASSERT_GE(font.glyphs[glyph].width, 3);
    const int x = int(geometry.cellLeft(glyph)) + 2;
    const int y = int(geometry.cellTop(glyph)) + 4;
    const std::uint8_t old = font.glyphs[glyph].pixel(4, 2);
    const std::uint8_t painted = old == 2 ? 1 : 2;
    image.setPixel(x, y, sheetColorRgb(SheetColor(painted)));

    Font read;
    QString error;
    ASSERT_TRUE(readSheet(encodePng(image), &read, &error)) << error.toStdString();
    Font expected = font;
    expected.glyphs[glyph].setPixel(4, 2, painted);
    EXPECT_EQ(read, expected);
}

TEST(GlyphSheetImage, AForeignColourIsRefusedNamingItsFirstPixel)
{
    const Font font = asSaved(defaultFont());
    QImage image = QImage::fromData(writeSheet(font), "PNG").convertToFormat(QImage::Format_RGB32);
    image.setPixel(40, 30, qRgb(10, 20, 30));
    image.setPixel(3, 31, qRgb(250, 250, 250));
    image.setPixel(100, 80, qRgb(1, 2, 3));
    Font read = font;
    QString error;
    EXPECT_FALSE(readSheet(encodePng(image), &read, &error));
    EXPECT_EQ(error, "Pixel (40, 30) has the colour #0a141e, which is not one of the glyph "
                     "sheet's colours");
    EXPECT_EQ(read, font);

    // A half-transparent pixel is foreign too, and a palette picture is checked
    // through its palette.
    QImage indexed = QImage::fromData(writeSheet(font), "PNG");
    ASSERT_EQ(indexed.format(), QImage::Format_Indexed8);
    QList<QRgb> table = indexed.colorTable();
    table.append(qRgba(255, 255, 255, 128));
    indexed.setColorTable(table);
    indexed.setPixel(5, 2, uint(table.size() - 1));
    EXPECT_FALSE(readSheet(encodePng(indexed), &read, &error));
    EXPECT_EQ(error, "Pixel (5, 2) has the colour #ffffff (alpha 128), which is not one of the "
                     "glyph sheet's colours");
}

TEST(GlyphSheetImage, TheTextMayComeAfterThePixels)
{
    // Some editors write text chunks behind the image data; move it there by hand.
    const Font font = twoBppWithValueThree();
    QByteArray png = writeSheet(font);
    const qsizetype text = std::max(png.indexOf("zTXt"), png.indexOf("tEXt")) - 4;
    ASSERT_GT(text, 8);
    const quint32 length = qFromBigEndian<quint32>(png.constData() + text);
    const QByteArray chunk = png.mid(text, 12 + length);
    png.remove(text, chunk.size());
    png.insert(png.size() - 12, chunk); // before IEND
    Font read;
    QString error;
    ASSERT_TRUE(readSheet(png, &read, &error)) << error.toStdString();
    EXPECT_EQ(read, font);
}

namespace {

// Turns bytes into a PNG chunk with its length and CRC.
QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), chunk.data());
    const QByteArray body = type + data;
    quint32 crc = 0xffffffffu;
    for (const char byte : body) {
        crc ^= std::uint8_t(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    QByteArray tail(4, '\0');
    qToBigEndian<quint32>(crc ^ 0xffffffffu, tail.data());
    return chunk + body + tail;
}

struct HostileCase : Test::NamedCase
{
    QByteArray (*make)();
    const char *message;
};

class HostileSheet : public ::testing::TestWithParam<HostileCase>
{
};

QByteArray defaultSheet()
{
    return writeSheet(asSaved(defaultFont()));
}

} // namespace

TEST_P(HostileSheet, IsRefusedWithAClearMessage)
{
    Font read = defaultFont();
    read.setName("before");
    const Font before = read;
    QString error;
    EXPECT_FALSE(readSheet(GetParam().make(), &read, &error));
    EXPECT_EQ(error.toStdString(), GetParam().message);
    EXPECT_EQ(read, before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileSheet,
    ::testing::Values(
        HostileCase{"NotAPicture", [] { return QByteArray("Kernwick glyph sheet 1\n"); },
                    "The file is not a PNG picture"},
        HostileCase{"WrongSize",
                    [] {
                        QImage image = QImage::fromData(defaultSheet(), "PNG");
                        QImage cropped = image.copy(0, 0, image.width() - 9, image.height());
                        cropped.setText(QString::fromLatin1(SheetTextKey),
                                        image.text(QString::fromLatin1(SheetTextKey)));
                        return encodePng(cropped);
                    },
                    "The glyph sheet is 136 × 91 pixels, but the glyphs its text describes need "
                    "145 × 91"},
        HostileCase{"NoText",
                    [] {
                        QImage image = QImage::fromData(defaultSheet(), "PNG");
                        image.setText(QString::fromLatin1(SheetTextKey), QString());
                        return encodePng(QImage(image.convertToFormat(QImage::Format_RGB32)));
                    },
                    "The picture has no \"Kernwick glyph sheet\" text, so it is not a glyph "
                    "sheet (or the program that saved it dropped the text)"},
        HostileCase{"DamagedText",
                    [] {
                        QImage image = QImage::fromData(defaultSheet(), "PNG");
                        QString text = image.text(QString::fromLatin1(SheetTextKey));
                        text.chop(9); // the last glyph's entry and the line end
                        image.setText(QString::fromLatin1(SheetTextKey), text);
                        return encodePng(image);
                    },
                    "The glyph sheet's text is damaged: the glyph table holds 94 glyphs but the "
                    "header says 95"},
        HostileCase{"HugeDimensions",
                    [] {
                        // A header claiming 200000 × 200000 grey pixels, and a few
                        // bytes of image data.
                        QByteArray header(13, '\0');
                        qToBigEndian<quint32>(200000, header.data());
                        qToBigEndian<quint32>(200000, header.data() + 4);
                        header[8] = 8; // bit depth
                        return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) +
                               pngChunk("IDAT", QByteArray("\x78\x9c\x03\x00\x00\x00\x00\x01", 8)) +
                               pngChunk("IEND", {});
                    },
                    "The picture is 200000 × 200000 pixels, larger than any glyph sheet (at "
                    "most 67108864 pixels and 1000000 on a side)"},
        HostileCase{"Truncated",
                    [] {
                        const QByteArray png = defaultSheet();
                        return png.left(png.size() / 2);
                    },
                    "The PNG picture is damaged and cannot be read"}),
    Test::CaseName());
