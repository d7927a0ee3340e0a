// Image import: loading pictures through FreeImage, thresholding, and the
// one-glyph font made from them.

#include "namedcase.h"
#include "pictures.h"
#include "qtprinters.h"

#include "libkernwick/font/imageimport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

// A picture loaded from bytes; fails the test when it does not load.
LoadedImage load(const QByteArray &bytes)
{
    LoadedImage image;
    QString error;
    EXPECT_EQ(loadImageData(bytes, &image, &error), ImageLoad::Ok) << error.toStdString();
    return image;
}

// A picture whose top-left pixel alone is bright: shows both flips.
bool onlyTopLeft(int row, int column)
{
    return row == 0 && column == 0;
}

// Glyph 0 of an imported font as text, one line per row, so failures show the picture.
std::string glyphText(const Font &font)
{
    std::string text;
    const Glyph &g = font.glyphs.at(0);
    for (int r = 0; r < g.rowCount; ++r) {
        for (int c = 0; c < g.width; ++c)
            text += char('0' + g.pixel(r, c));
        text += '\n';
    }
    return text;
}

// ---------------------------------------------------------------------------
// Thresholding the grey ramp, in every format

struct LevelRange
{
    int low;
    int high;
    int value; // the glyph pixel value for levels low..high
};

struct ThresholdCase : Test::NamedCase
{
    ImageImportChoice choice;
    std::uint8_t ldepth;
    std::vector<LevelRange> ranges;
};

struct FormatCase : Test::NamedCase
{
    PictureKind kind;
};

const ThresholdCase thresholdCases[] = {
    {{"Defaults"}, {}, 1, {{0, 100, 0}, {101, 149, 1}, {150, 255, 2}}},
    {{"TwoColoursOnlyWhiteCounts"}, {{100, 150, false}}, 0, {{0, 149, 0}, {150, 255, 1}}},
    {{"TwoColoursIgnoreBlack"}, {{10, 150, false}}, 0, {{0, 149, 0}, {150, 255, 1}}},
    {{"WhiteZeroMakesAllWhite"}, {{100, 0, false}}, 0, {{0, 255, 1}}},
    {{"BlackAtWhiteLeavesNoHalftone"}, {{150, 150, true}}, 1, {{0, 149, 0}, {150, 255, 2}}},
    {{"BlackAboveWhiteLeavesNoHalftone"}, {{200, 100, true}}, 1, {{0, 99, 0}, {100, 255, 2}}},
    {{"InvertFlipsTheRamp"}, {{}, true}, 1, {{0, 105, 2}, {106, 154, 1}, {155, 255, 0}}},
    {{"InvertTwoColours"}, {{100, 150, false}, true}, 0, {{0, 105, 1}, {106, 255, 0}}},
};

const FormatCase formatCases[] = {
    {{"GreyPng"}, PictureKind::GreyPng},
    {{"Grey16Png"}, PictureKind::Grey16Png},
    {{"RgbaPng"}, PictureKind::RgbaPng},
    {{"Rgb24Bmp"}, PictureKind::RgbBmp},
    {{"GreyTiff"}, PictureKind::GreyTiff},
    {{"Rgb24Tiff"}, PictureKind::RgbTiff},
    // Thresholds compare brightness, not palette indices.
    {{"ReversedPalettePng"}, PictureKind::ReversedPalettePng},
};

class RampThreshold : public ::testing::TestWithParam<std::tuple<FormatCase, ThresholdCase>>
{
};

TEST_P(RampThreshold, EveryLevelFallsInItsRange)
{
    const auto &[format, c] = GetParam();
    const LoadedImage picture = load(encodeGreyPicture(16, 16, rampLevel, format.kind));
    ASSERT_FALSE(picture.bilevel);
    const ImageImport result = importImage(defaultFont(), picture, c.choice);
    const Font &font = result.font;
    ASSERT_EQ(font.chars(), 1);
    EXPECT_EQ(font.header.ldepth, c.ldepth);
    const Glyph &glyph = font.glyphs[0];
    ASSERT_EQ(glyph.width, 16);
    ASSERT_EQ(glyph.rowCount, 16);
    for (int level = 0; level < 256; ++level) {
        int expected = -1;
        for (const LevelRange &range : c.ranges) {
            if (level >= range.low && level <= range.high)
                expected = range.value;
        }
        EXPECT_EQ(glyph.pixel(level / 16, level % 16), expected) << "level " << level;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, RampThreshold,
                         ::testing::Combine(::testing::ValuesIn(formatCases),
                                            ::testing::ValuesIn(thresholdCases)),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

TEST(ImageLevels, PaletteColoursCountByBrightness)
{
    // Index 0 is pure red (brightness 54), index 1 pure green (182): by their
    // indices both would fall below the black threshold.
    FIBITMAP *bitmap = FreeImage_Allocate(2, 1, 8);
    RGBQUAD *palette = FreeImage_GetPalette(bitmap);
    palette[0] = RGBQUAD{0, 0, 255, 0};
    palette[1] = RGBQUAD{0, 255, 0, 0};
    FreeImage_GetScanLine(bitmap, 0)[0] = 0;
    FreeImage_GetScanLine(bitmap, 0)[1] = 1;
    const LoadedImage picture = load(encodeBitmap(bitmap, FIF_BMP));
    EXPECT_EQ(picture.image.levels, (std::vector<std::uint8_t>{54, 182}));
    EXPECT_EQ(glyphText(importImage(defaultFont(), picture, {}).font), "02\n");
}

TEST(Threshold, InvertingTwiceGivesThePictureBack)
{
    GreyImage image = GreyImage::filled(16, 16);
    for (int i = 0; i < 256; ++i)
        image.levels[std::size_t(i)] = std::uint8_t(i);
    const GreyImage original = image;
    invertImage(&image);
    EXPECT_EQ(image.level(0, 0), 255);
    EXPECT_EQ(image.level(15, 15), 0);
    invertImage(&image);
    EXPECT_EQ(image, original);
}

TEST(Threshold, WritesOnlyTheThreeLevels)
{
    GreyImage ramp = GreyImage::filled(16, 16);
    for (int i = 0; i < 256; ++i)
        ramp.levels[std::size_t(i)] = std::uint8_t(i);
    const GreyImage result = applyThreshold(ramp, {});
    EXPECT_EQ(result.level(6, 4), ThresholdBlack);    // 100
    EXPECT_EQ(result.level(6, 5), ThresholdHalftone); // 101
    EXPECT_EQ(result.level(9, 5), ThresholdHalftone); // 149
    EXPECT_EQ(result.level(9, 6), ThresholdWhite);    // 150
    EXPECT_EQ(ramp.level(9, 6), 150) << "the source picture is not changed";
}

// ---------------------------------------------------------------------------
// The imported font

TEST(ImageImportFont, IsOneGlyphAtCode32WithThePictureAsItsBitmap)
{
    Font current = defaultFont();
    current.setName("mine");
    current.glyphs[0].left = 3;
    current.glyphs[0].offset = 77;
    current.glyphs[0].reserved2 = 9;
    current.header.skip = 4096;
    current.header.pixwidth = 95;
    current.header.layout = 2;
    const Font before = current;

    const LoadedImage picture = load(encodeGreyPicture(
        5, 3, [](int r, int) { return r == 0 ? 255 : 0; }, PictureKind::GreyPng));
    const ImageImport result = importImage(current, picture, {});
    EXPECT_EQ(current, before) << "the caller's font is never changed";

    const Font &font = result.font;
    EXPECT_EQ(font.nameText(), "mine");
    EXPECT_EQ(font.chars(), 1);
    EXPECT_EQ(font.header.first, 32);
    EXPECT_EQ(font.header.height, 3);
    EXPECT_EQ(font.header.ascent, 2);
    EXPECT_EQ(font.header.ldepth, 1);
    EXPECT_EQ(font.header.skip, 0u);
    EXPECT_EQ(font.header.pixwidth, 5u);
    EXPECT_EQ(font.header.layout, 2) << "the file layout is the previous font's";
    EXPECT_EQ(font.glyphs[0].width, 5);
    EXPECT_EQ(font.glyphs[0].left, 3);
    EXPECT_EQ(font.glyphs[0].offset, 77);
    EXPECT_EQ(font.glyphs[0].reserved2, 9);
    EXPECT_EQ(glyphText(font), "22222\n00000\n00000\n");
    // Table 32, strip row of 10 bits = 4 bytes, bitmap 3 x 4 = 12 rounded to 32.
    EXPECT_EQ(font.header.fileSize, 32 + 32 + 32);
    EXPECT_TRUE(result.layoutDirty);
    EXPECT_FALSE(result.keepFileName);
    EXPECT_FALSE(result.modified);
}

TEST(ImageImportFont, AFontWithoutGlyphsGetsOne)
{
    Font current = defaultFont();
    current.glyphs.clear();
    const LoadedImage picture = load(encodeGreyPicture(
        2, 2, [](int, int) { return 255; }, PictureKind::GreyPng));
    const Font font = importImage(current, picture, {}).font;
    ASSERT_EQ(font.chars(), 1);
    EXPECT_EQ(glyphText(font), "22\n22\n");
    EXPECT_EQ(font.glyphs[0].left, 0);
}

TEST(ImageImportFont, KeepsTheTopRowInGlyphRowZero)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
    } pictures[] = {
        {"grey png",
         encodeGreyPicture(
             3, 2, [](int r, int c) { return onlyTopLeft(r, c) ? 255 : 0; }, PictureKind::GreyPng)},
        {"24-bit bmp",
         encodeGreyPicture(
             3, 2, [](int r, int c) { return onlyTopLeft(r, c) ? 255 : 0; }, PictureKind::RgbBmp)},
        {"tiff", encodeGreyPicture(
                     3, 2, [](int r, int c) { return onlyTopLeft(r, c) ? 255 : 0; },
                     PictureKind::GreyTiff)},
        {"1-bit bmp", encodeBilevelPicture(3, 2, onlyTopLeft, 1, FIF_BMP)},
    };
    for (const auto &p : pictures) {
        SCOPED_TRACE(p.name);
        const Font font = importImage(defaultFont(), load(p.bytes), {{100, 150, false}}).font;
        EXPECT_EQ(glyphText(font), "100\n000\n");
    }
}

TEST(ImageImportFont, ThresholdedPictureIsWhatTheGlyphWasMadeFrom)
{
    const LoadedImage picture = load(encodeGreyPicture(16, 16, rampLevel, PictureKind::GreyPng));
    const ImageImport result = importImage(defaultFont(), picture, {});
    EXPECT_EQ(result.thresholded, applyThreshold(picture.image, {}));
    EXPECT_EQ(result.font, importThresholdedImage(defaultFont(), result.thresholded, true).font)
        << "the dialog's OK with its Modified Image gives the same font";
}

// ---------------------------------------------------------------------------
// 1-bit pictures

struct BilevelCase : Test::NamedCase
{
    int whiteIndex;
    FREE_IMAGE_FORMAT format;
};

class Bilevel : public ::testing::TestWithParam<BilevelCase>
{
};

TEST_P(Bilevel, WhitePixelsBecomeOneWhateverTheirIndex)
{
    const BilevelCase &c = GetParam();
    // An L in a 10 x 4 picture: wider than one byte of bits, not symmetric.
    const auto shape = [](int r, int c) { return c == 0 || r == 3; };
    const LoadedImage picture = load(encodeBilevelPicture(10, 4, shape, c.whiteIndex, c.format));
    ASSERT_TRUE(picture.bilevel);
    // The choice plays no part for a 1-bit picture.
    const ImageImportChoice invertedTwoColours{{200, 250, true}, true};
    const Font font = importImage(defaultFont(), picture, invertedTwoColours).font;
    EXPECT_EQ(font.header.ldepth, 0);
    EXPECT_EQ(glyphText(font), "1000000000\n1000000000\n1000000000\n1111111111\n");
}

INSTANTIATE_TEST_SUITE_P(Palettes, Bilevel,
                         ::testing::Values(BilevelCase{{"WhiteAtIndex1Bmp"}, 1, FIF_BMP},
                                           BilevelCase{{"WhiteAtIndex0Bmp"}, 0, FIF_BMP},
                                           BilevelCase{{"WhiteAtIndex1Png"}, 1, FIF_PNG},
                                           BilevelCase{{"WhiteAtIndex0Png"}, 0, FIF_PNG},
                                           BilevelCase{{"WhiteAtIndex1Tiff"}, 1, FIF_TIFF}),
                         Test::CaseName());

// ---------------------------------------------------------------------------
// Sizes and unreadable files

TEST(ImageSize, UpTo255PixelsEachWayImports)
{
    const LoadedImage picture = load(encodeGreyPicture(
        255, 255, [](int r, int c) { return r == 254 && c == 254 ? 255 : 0; },
        PictureKind::GreyPng));
    const Font font = importImage(defaultFont(), picture, {}).font;
    EXPECT_EQ(font.glyphs[0].width, 255);
    EXPECT_EQ(font.header.height, 255);
    EXPECT_EQ(font.header.ascent, 254);
    EXPECT_EQ(font.header.pixwidth, 255u);
    EXPECT_EQ(font.glyphs[0].pixel(254, 254), 2);
    EXPECT_EQ(font.glyphs[0].pixel(0, 0), 0);
}

// The CRC of a PNG chunk, over its type and data.
quint32 pngCrc(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBigEndian(QByteArray *bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        (*bytes)[at + i] = char(value >> (24 - 8 * i));
}

void putLittleEndian(QByteArray *bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        (*bytes)[at + i] = char(value >> (8 * i));
}

// A small valid PNG whose header is changed to claim `width` × `height` (RGBA).
QByteArray pngClaiming(quint32 width, quint32 height)
{
    QByteArray png = encodeGreyPicture(2, 2, rampLevel, PictureKind::RgbaPng);
    // Signature (8), then the IHDR chunk: length (4), "IHDR" (4), width, height ...
    putBigEndian(&png, 16, width);
    putBigEndian(&png, 20, height);
    putBigEndian(&png, 29, pngCrc(png.mid(12, 17)));
    return png;
}

// A small valid 24-bit BMP whose header is changed to claim `width` × `height`.
QByteArray bmpClaiming(quint32 width, quint32 height)
{
    QByteArray bmp = encodeGreyPicture(2, 2, rampLevel, PictureKind::RgbBmp);
    putLittleEndian(&bmp, 18, width);
    putLittleEndian(&bmp, 22, height);
    return bmp;
}

struct RefusalCase : Test::NamedCase
{
    QByteArray bytes;
    ImageLoad outcome;
    const char *message;
};

class Refusal : public ::testing::TestWithParam<RefusalCase>
{
};

TEST_P(Refusal, GivesItsMessageAndLeavesThePictureAlone)
{
    const RefusalCase &c = GetParam();
    LoadedImage image;
    image.image = GreyImage::filled(1, 1, 42);
    const LoadedImage before = image;
    QString error;
    EXPECT_EQ(loadImageData(c.bytes, &image, &error), c.outcome);
    EXPECT_EQ(error, QString::fromLatin1(c.message));
    EXPECT_EQ(image.image, before.image);
    EXPECT_EQ(image.bilevel, before.bilevel);
}

QByteArray truncatedPng()
{
    const QByteArray png = encodeGreyPicture(64, 64, rampLevel, PictureKind::RgbaPng);
    return png.left(png.size() / 2);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, Refusal,
    ::testing::Values(
        RefusalCase{{"Width256"},
                    encodeGreyPicture(256, 1, rampLevel, PictureKind::GreyPng),
                    ImageLoad::TooWide,
                    ImageTooWide},
        RefusalCase{{"Height256"},
                    encodeGreyPicture(1, 256, rampLevel, PictureKind::GreyPng),
                    ImageLoad::TooHigh,
                    ImageTooHigh},
        RefusalCase{{"BothTooLargeNamesTheWidth"},
                    encodeGreyPicture(256, 256, rampLevel, PictureKind::RgbBmp),
                    ImageLoad::TooWide,
                    ImageTooWide},
        // Small files that claim pictures of gigabytes: refused from the header.
        RefusalCase{
            {"PngClaims60000Square"}, pngClaiming(60000, 60000), ImageLoad::TooWide, ImageTooWide},
        RefusalCase{
            {"PngClaims60000High"}, pngClaiming(10, 60000), ImageLoad::TooHigh, ImageTooHigh},
        RefusalCase{
            {"BmpClaims60000Square"}, bmpClaiming(60000, 60000), ImageLoad::TooWide, ImageTooWide},
        RefusalCase{{"TruncatedPng"}, truncatedPng(), ImageLoad::Unreadable, ImageUnreadable},
        RefusalCase{{"TextFile"},
                    QByteArray("This is not a picture.\nIt is text.\n"),
                    ImageLoad::Unreadable,
                    ImageUnreadable},
        RefusalCase{{"EmptyFile"}, QByteArray(), ImageLoad::Unreadable, ImageUnreadable}),
    Test::CaseName());

TEST(ImageFile, ReadsFromDiskAndTellsAMissingFileApart)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ramp.png"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(encodeGreyPicture(16, 16, rampLevel, PictureKind::GreyPng));
    file.close();

    LoadedImage image;
    QString error;
    ASSERT_EQ(loadImageFile(path, &image, &error), ImageLoad::Ok);
    EXPECT_EQ(image.image.level(9, 6), 150);

    EXPECT_EQ(loadImageFile(dir.filePath(QStringLiteral("missing.png")), &image, &error),
              ImageLoad::ReadFailed);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_NE(error, QString::fromLatin1(ImageUnreadable));
}

TEST(ImageFile, SavesTheThresholdedPictureInTheFormatItsNameAsks)
{
    QTemporaryDir dir;
    const GreyImage thresholded =
        applyThreshold(load(encodeGreyPicture(16, 16, rampLevel, PictureKind::GreyPng)).image, {});
    for (const char *name : {"modified.bmp", "modified.png", "modified.tif"}) {
        SCOPED_TRACE(name);
        const QString path = dir.filePath(QString::fromLatin1(name));
        QString error;
        ASSERT_TRUE(saveGreyImageFile(path, thresholded, &error)) << error.toStdString();
        LoadedImage back;
        ASSERT_EQ(loadImageFile(path, &back, &error), ImageLoad::Ok);
        EXPECT_EQ(back.image, thresholded);
    }

    const QString unknown = dir.filePath(QStringLiteral("modified.xyz"));
    QString error;
    EXPECT_FALSE(saveGreyImageFile(unknown, thresholded, &error));
    EXPECT_EQ(error, QString::fromLatin1(ImageFormatNotWritable));
    EXPECT_FALSE(QFile::exists(unknown));
}

} // namespace
