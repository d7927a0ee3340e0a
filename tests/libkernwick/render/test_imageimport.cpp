// Image import: loading pictures through Qt's readers, thresholding, and the
// one-glyph font made from them.

#include "namedcase.h"
#include "pictures.h"
#include "qtprinters.h"

#include "libkernwick/font/imageimport.h"
#include "libkernwick/render/imagefile.h"
#include "libkernwick/render/pictureformats.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

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

// The same ramp in every container gives the same levels.
const FormatCase formatCases[] = {
    {{"GreyPng"}, PictureKind::GreyPng},
    {{"Grey16Png"}, PictureKind::Grey16Png},
    {{"RgbPng"}, PictureKind::RgbPng},
    {{"RgbaPng"}, PictureKind::RgbaPng},
    {{"GreyPalettePng"}, PictureKind::GreyPalettePng},
    // Thresholds compare brightness, not palette indices.
    {{"ReversedPalettePng"}, PictureKind::ReversedPalettePng},
    {{"Palette8Bmp"}, PictureKind::PaletteBmp},
    {{"Rgb24Bmp"}, PictureKind::RgbBmp},
    {{"GreyTiff"}, PictureKind::GreyTiff},
    {{"Rgb24Tiff"}, PictureKind::RgbTiff},
    {{"RgbTga"}, PictureKind::RgbTga},
    {{"TopDownTga"}, PictureKind::TopDownTga},
    {{"Pgm"}, PictureKind::Pgm},
    {{"Ppm"}, PictureKind::Ppm},
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

TEST(ImageLevels, JpegAtQuality100KeepsEveryLevelWithinOne)
{
    const LoadedImage picture = load(encodeGreyPicture(16, 16, rampLevel, PictureKind::Jpeg));
    ASSERT_EQ(picture.image.width, 16);
    ASSERT_EQ(picture.image.height, 16);
    for (int level = 0; level < 256; ++level)
        EXPECT_NEAR(picture.image.level(level / 16, level % 16), level, 1) << "level " << level;
}

TEST(ImageLevels, PaletteColoursCountByBrightness)
{
    // Index 0 is pure red (brightness 54), index 1 pure green (182): by their
    // indices both would fall below the black threshold.
    QImage image(2, 1, QImage::Format_Indexed8);
    image.setColorTable({qRgb(255, 0, 0), qRgb(0, 255, 0)});
    image.scanLine(0)[0] = 0;
    image.scanLine(0)[1] = 1;
    const LoadedImage picture = load(encodeImage(image, "bmp"));
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
        {"1-bit bmp", encodeBilevelPicture(3, 2, onlyTopLeft, 1, "bmp")},
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
    const char *format;
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
                         ::testing::Values(BilevelCase{{"WhiteAtIndex1Bmp"}, 1, "bmp"},
                                           BilevelCase{{"WhiteAtIndex0Bmp"}, 0, "bmp"},
                                           BilevelCase{{"WhiteAtIndex1Png"}, 1, "png"},
                                           BilevelCase{{"WhiteAtIndex0Png"}, 0, "png"},
                                           BilevelCase{{"WhiteAtIndex1Tiff"}, 1, "tiff"}),
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

// Small files found by fuzzing picture readers: each is refused with its message,
// without building what its header claims and without waiting for ever.
struct HostileCase : Test::NamedCase
{
    const char *file;
    ImageLoad outcome;
    const char *message;
};

class HostileFile : public ::testing::TestWithParam<HostileCase>
{
};

TEST_P(HostileFile, IsRefusedWithItsMessage)
{
    const HostileCase &c = GetParam();
    LoadedImage image;
    QString error;
    EXPECT_EQ(
        loadImageFile(QStringLiteral(KERNWICK_TEST_DATA "/pictures/") + QString::fromLatin1(c.file),
                      &image, &error),
        c.outcome);
    EXPECT_EQ(error, QString::fromLatin1(c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, HostileFile,
    ::testing::Values(
        // FreeImage's PICT and WBMP readers looped for ever on these.
        HostileCase{{"FivePlainBytes"}, "hello.pct", ImageLoad::Unreadable, ImageUnreadable},
        HostileCase{
            {"TwoBytesNamedWbmp"}, "two-bytes.wbmp", ImageLoad::Unreadable, ImageUnreadable},
        // A text chunk claiming 2 GB in a 58-byte PNG.
        HostileCase{
            {"PngTextChunkOf2Gb"}, "text-chunk-2gb.png", ImageLoad::Unreadable, ImageUnreadable},
        HostileCase{{"Gif65535Square"}, "gif-65535.gif", ImageLoad::TooWide, ImageTooWide},
        HostileCase{
            {"BmpWithTheNewHeader60000Square"}, "bmp-60000.bmp", ImageLoad::TooWide, ImageTooWide},
        HostileCase{{"Tiff60000Square"}, "tiff-60000.tif", ImageLoad::TooWide, ImageTooWide},
        HostileCase{{"Jpeg65500Square"}, "jpeg-65500.jpg", ImageLoad::TooWide, ImageTooWide},
        HostileCase{{"Tga65535Square"}, "tga-true-65535.tga", ImageLoad::TooWide, ImageTooWide},
        // FreeImage's Sun raster reader wrote through a null pointer on this one,
        // its PCX reader read far past its memory on the next; neither Sun raster
        // nor PCX pictures are read at all.
        HostileCase{{"SunRasterThatCrashedFreeImage"},
                    "freeimage-ras-crash.ras",
                    ImageLoad::Unreadable,
                    ImageUnreadable},
        HostileCase{{"PcxThatCrashedFreeImage"},
                    "freeimage-pcx-crash.pcx",
                    ImageLoad::Unreadable,
                    ImageUnreadable},
        HostileCase{{"Pcx65535Square"}, "pcx-65535.pcx", ImageLoad::Unreadable, ImageUnreadable},
        // Run-length encoded TGA has no reader.
        HostileCase{
            {"RleTga65535Square"}, "tga-65535.tga", ImageLoad::Unreadable, ImageUnreadable}),
    Test::CaseName());

// What recognises a picture: its first bytes alone.
struct FormatRecognition : Test::NamedCase
{
    QByteArray bytes;
    PictureFormat::Reader reader;
    const char *format;
};

class Recognition : public ::testing::TestWithParam<FormatRecognition>
{
};

TEST_P(Recognition, TellsTheFormatFromTheContent)
{
    const FormatRecognition &c = GetParam();
    const PictureFormat format = recognisePicture(c.bytes);
    EXPECT_EQ(format.reader, c.reader);
    EXPECT_EQ(format.name, QByteArray(c.format));
}

QByteArray tgaHeader(char type, char depth, const QByteArray &tail = {})
{
    QByteArray header(18, '\0');
    header[2] = type;
    header[12] = 16; // width 16
    header[14] = 12; // height 12
    header[16] = depth;
    return header + QByteArray(16 * 12 * 4, '\0') + tail;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, Recognition,
    ::testing::Values(
        FormatRecognition{{"Png"},
                          encodeGreyPicture(2, 2, rampLevel, PictureKind::GreyPng),
                          PictureFormat::Reader::Qt,
                          "png"},
        FormatRecognition{{"Jpeg"},
                          encodeGreyPicture(2, 2, rampLevel, PictureKind::Jpeg),
                          PictureFormat::Reader::Qt,
                          "jpeg"},
        FormatRecognition{
            {"Pgm"}, QByteArray("P5\n1 1\n255\n\x80"), PictureFormat::Reader::Qt, "pgm"},
        // A TGA's first bytes 00 00 02 00 also start a cursor file; it has no
        // directory entry, so it is not one. Uncompressed true colour goes to Qt
        // with or without the TGA 2.0 footer; nothing reads the other kinds.
        FormatRecognition{
            {"Tga2TrueColour"},
            tgaHeader(2, 24, QByteArray(8, '\0') + QByteArray("TRUEVISION-XFILE.\0", 18)),
            PictureFormat::Reader::Qt,
            "tga"},
        FormatRecognition{
            {"OlderTgaTrueColour"}, tgaHeader(2, 24), PictureFormat::Reader::Qt, "tga"},
        FormatRecognition{{"RleGreyTga"}, tgaHeader(11, 8), PictureFormat::Reader::None, ""},
        FormatRecognition{{"PaletteTga"}, tgaHeader(1, 8), PictureFormat::Reader::None, ""},
        FormatRecognition{{"Cursor"},
                          QByteArray("\0\0\2\0\1\0\x10\x10\0\0\1\0\x20\0", 14) +
                              QByteArray(200, '\0'),
                          PictureFormat::Reader::Qt,
                          "cur"},
        FormatRecognition{
            {"Wbmp"}, QByteArray("\0\0\x08\x02\xaa\x55", 6), PictureFormat::Reader::Qt, "wbmp"},
        FormatRecognition{{"WbmpWithBytesMissing"},
                          QByteArray("\0\0\x08\x02\xaa", 5),
                          PictureFormat::Reader::None,
                          ""},
        FormatRecognition{{"TwoBytes"}, QByteArray("\0\x82", 2), PictureFormat::Reader::None, ""},
        FormatRecognition{{"Pcx"},
                          QByteArray("\x0a\x05\x01\x08", 4) + QByteArray(124 + 48, '\0'),
                          PictureFormat::Reader::None,
                          ""},
        FormatRecognition{{"SunRaster"},
                          QByteArray("\x59\xa6\x6a\x95", 4) + QByteArray(60, '\0'),
                          PictureFormat::Reader::None,
                          ""},
        FormatRecognition{{"Koala"},
                          QByteArray("\0\x60", 2) + QByteArray(10001, '\0'),
                          PictureFormat::Reader::SizeOnly,
                          "koala"},
        FormatRecognition{{"KoalaStartOfAnotherSize"},
                          QByteArray("\0\x60", 2) + QByteArray(100, '\0'),
                          PictureFormat::Reader::None,
                          ""},
        FormatRecognition{{"PhotoCd"},
                          QByteArray(2048, '\xff') + "PCD_IPI" + QByteArray(100, '\0'),
                          PictureFormat::Reader::SizeOnly,
                          "pcd"},
        FormatRecognition{
            {"Text"}, QByteArray("PICT? no, plain text\n"), PictureFormat::Reader::None, ""}),
    Test::CaseName());

TEST(ImageFile, RefusesAFifoWithoutOpeningIt)
{
    // Opening a FIFO for reading waits for a writer that never comes.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.png"));
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    LoadedImage image;
    QString error;
    EXPECT_EQ(loadImageFile(path, &image, &error), ImageLoad::ReadFailed);
    EXPECT_EQ(error, QStringLiteral("not a regular file"));
    EXPECT_EQ(loadImageFile(dir.path(), &image, &error), ImageLoad::ReadFailed);
    EXPECT_EQ(error, QStringLiteral("not a regular file"));
}

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
    for (const char *name : {"modified.bmp", "modified.png", "modified.tif", "modified.pgm"}) {
        SCOPED_TRACE(name);
        const QString path = dir.filePath(QString::fromLatin1(name));
        QString error;
        ASSERT_TRUE(saveGreyImageFile(path, thresholded, &error)) << error.toStdString();
        LoadedImage back;
        ASSERT_EQ(loadImageFile(path, &back, &error), ImageLoad::Ok);
        EXPECT_EQ(back.image, thresholded);
    }

    // Qt has no writer for TGA; nothing at all writes ".xyz".
    for (const char *name : {"modified.xyz", "modified.tga"}) {
        SCOPED_TRACE(name);
        const QString unwritable = dir.filePath(QString::fromLatin1(name));
        QString error;
        EXPECT_FALSE(saveGreyImageFile(unwritable, thresholded, &error));
        EXPECT_EQ(error, QString::fromLatin1(ImageFormatNotWritable));
        EXPECT_FALSE(QFile::exists(unwritable));
    }
}

} // namespace
