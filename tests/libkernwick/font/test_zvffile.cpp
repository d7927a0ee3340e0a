#include "libkernwick/font/zvffile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace Kernwick;

namespace {

// A font with the given widths, every pixel set from a fixed pattern.
Font patternFont(const std::vector<int> &widths, int height, int ldepth, unsigned seed = 1)
{
    Font f;
    f.setName("pattern");
    f.header.height = std::uint8_t(height);
    f.header.ascent = std::uint8_t(height / 2);
    f.header.ldepth = std::uint8_t(ldepth);
    f.header.first = 0x41;
    f.resizeGlyphTable(int(widths.size()));
    std::mt19937 random(seed);
    const int values = ldepth == 0 ? 2 : 4;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        Glyph &g = f.glyphs[i];
        g.reset(height, widths[i]);
        g.left = std::uint8_t(i * 7);
        for (auto &p : g.pixels)
            p = std::uint8_t(random() % values);
    }
    f.computeFileSize();
    return f;
}

std::uint8_t byteAt(const QByteArray &b, int i)
{
    return std::uint8_t(b.at(i));
}

} // namespace

TEST(ZvfWriter, FreshFontIs1952Bytes)
{
    Font f = defaultFont();
    const QByteArray file = writeZvf(f);
    EXPECT_EQ(file.size(), 1952);
    EXPECT_EQ(f.header.fileSize, 1952);
    EXPECT_EQ(f.header.layout, 1);
    EXPECT_EQ(f.header.pixwidth, 96u);
    EXPECT_EQ(file.left(8), QByteArray("default\0", 8));
}

TEST(ZvfWriter, TwoGlyphFileByteForByte)
{
    // Widths 3 and 5, height 2, 1BPP: row 0 = glyph 0 all white, glyph 1 only its
    // first pixel; row 1 = glyph 1's last pixel.
    Font f = patternFont({3, 5}, 2, 0);
    std::fill(f.glyphs[0].pixels.begin(), f.glyphs[0].pixels.end(), 0);
    std::fill(f.glyphs[1].pixels.begin(), f.glyphs[1].pixels.end(), 0);
    for (int c = 0; c < 3; ++c)
        f.glyphs[0].setPixel(0, c, 1);
    f.glyphs[1].setPixel(0, 0, 1);
    f.glyphs[1].setPixel(1, 4, 1);
    f.glyphs[1].reserved1 = 9;
    f.glyphs[1].reserved2 = 9;

    const QByteArray file = writeZvf(f);
    ASSERT_EQ(file.size(), 96);
    EXPECT_EQ(f.header.pixwidth, 4u);
    // Header numbers.
    EXPECT_EQ(byteAt(file, 16), 4); // Pixwidth
    EXPECT_EQ(byteAt(file, 20), 2); // Chars
    EXPECT_EQ(byteAt(file, 22), 0x41);
    EXPECT_EQ(byteAt(file, 27), 1); // Layout
    // Table: offsets 0 and 3, Left, Width, reserved bytes cleared, terminator 8.
    const QByteArray table = file.mid(32, 32);
    const QByteArray expectedTable("\x00\x00\x00\x03\x00\x00"
                                   "\x03\x00\x07\x05\x00\x00"
                                   "\x08\x00\x00\x00\x00\x00",
                                   18);
    EXPECT_EQ(table.left(18), expectedTable);
    EXPECT_EQ(table.mid(18), QByteArray(14, '\0'));
    // Bitmap: row 0 = 0b00001111, row 1 = bit 7 (glyph 1, column 4 = strip column 7).
    const QByteArray bitmap = file.mid(64);
    EXPECT_EQ(bitmap.left(8), QByteArray("\x0f\x00\x00\x00\x80\x00\x00\x00", 8));
    EXPECT_EQ(bitmap.mid(8), QByteArray(24, '\0'));
    EXPECT_EQ(f.glyphs[1].offset, 3);
    EXPECT_EQ(f.glyphs[1].reserved2, 0);
}

TEST(ZvfWriter, TwoBitStripOfWidthFive)
{
    Font f = patternFont({5}, 1, 1);
    f.glyphs[0].pixels = {1, 2, 3, 1, 2};
    const QByteArray file = writeZvf(f);
    EXPECT_EQ(f.header.pixwidth, 4u);
    const QByteArray row = file.mid(64, 4);
    // Pixel k takes bits 2k and 2k+1: 1 | 2<<2 | 3<<4 | 1<<6, then pixel 4 = 2.
    EXPECT_EQ(byteAt(row, 0), 1 | 2 << 2 | 3 << 4 | 1 << 6);
    EXPECT_EQ(byteAt(row, 1), 2);
    EXPECT_EQ(byteAt(row, 2), 0);
    EXPECT_EQ(byteAt(row, 3), 0);
}

TEST(ZvfWriter, StoresTheStripInColumnGroups)
{
    // Total width 40 at 1BPP: 5 bytes, Pixwidth 8; height 3. Strip byte j of row r
    // is made distinct by setting pixel patterns per byte.
    Font f = patternFont({40}, 3, 0);
    Glyph &g = f.glyphs[0];
    std::fill(g.pixels.begin(), g.pixels.end(), 0);
    // Row r, byte j (j < 5) gets the value r * 16 + j + 1.
    for (int r = 0; r < 3; ++r)
        for (int j = 0; j < 5; ++j)
            for (int bit = 0; bit < 8; ++bit)
                g.setPixel(r, j * 8 + bit, ((r * 16 + j + 1) >> bit) & 1);
    const QByteArray file = writeZvf(f);
    ASSERT_EQ(f.header.pixwidth, 8u);
    const QByteArray bitmap = file.mid(64, 24);
    QByteArray expected;
    for (int group = 0; group < 2; ++group)
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 4; ++k) {
                const int j = group * 4 + k;
                expected += char(j < 5 ? r * 16 + j + 1 : 0);
            }
    EXPECT_EQ(bitmap, expected);
}

TEST(ZvfWriter, LayoutFollowsTheGlyphOffsets)
{
    struct Case
    {
        int glyphs;
        int layout;
        int terminator;
    };
    // 258 glyphs of 255: last offset 65535, total 65790 -> Layout 1, 16-bit terminator.
    // 259 glyphs of 255: last offset 65790 -> Layout 2 with 24-bit offsets.
    for (const Case c : {Case{258, 1, 65790 & 0xffff}, Case{259, 2, (259 * 255) & 0xffff}}) {
        Font f = patternFont(std::vector<int>(std::size_t(c.glyphs), 255), 1, 0);
        const QByteArray file = writeZvf(f);
        EXPECT_EQ(byteAt(file, 27), c.layout) << c.glyphs;
        const int last = 32 + 6 * (c.glyphs - 1);
        const int lastOffset = (c.glyphs - 1) * 255;
        EXPECT_EQ(byteAt(file, last) | byteAt(file, last + 1) << 8, lastOffset & 0xffff);
        EXPECT_EQ(byteAt(file, last + 4), c.layout == 2 ? lastOffset >> 16 : 0);
        const int term = last + 6;
        EXPECT_EQ(byteAt(file, term) | byteAt(file, term + 1) << 8, c.terminator);
        EXPECT_EQ(file.mid(term + 2, 4), QByteArray(4, '\0'));

        Font back;
        ASSERT_EQ(readZvf(file, &back), ZvfRead::Ok);
        EXPECT_EQ(back.glyphs.back().offset, lastOffset);
        EXPECT_EQ(back.glyphs.back().pixels, f.glyphs.back().pixels);
    }
}

TEST(ZvfWriter, NoGlyphsGives64Bytes)
{
    Font f;
    const QByteArray file = writeZvf(f);
    EXPECT_EQ(file.size(), 64);
    Font back = defaultFont();
    ASSERT_EQ(readZvf(file, &back), ZvfRead::Ok);
    EXPECT_EQ(back.chars(), 0);
}

TEST(ZvfRoundTrip, WriteReadWriteGivesTheSameBytes)
{
    const std::vector<std::pair<std::vector<int>, int>> shapes = {
        {{3, 5}, 0}, {{0, 7, 0, 13, 255}, 0}, {{1, 2, 3, 4, 5, 6}, 1}, {{8, 0, 31, 33}, 1}};
    for (const auto &[widths, ldepth] : shapes) {
        Font f = patternFont(widths, 11, ldepth, unsigned(widths.size()));
        f.glyphs.back().left = 0xf0; // shown as -16
        const QByteArray first = writeZvf(f);
        Font back;
        ASSERT_EQ(readZvf(first, &back), ZvfRead::Ok);
        EXPECT_EQ(back, f) << "header, widths, Left, offsets and pixels survive";
        EXPECT_EQ(writeZvf(back), first);
    }
}

TEST(ZvfReader, KeepsTheSecondReservedByteAndLayoutsAboveTwo)
{
    Font f = patternFont({4, 4}, 2, 0);
    QByteArray file = writeZvf(f);
    file[32 + 6 + 5] = char(0x5a); // reserved byte of glyph 1
    file[32 + 6 + 4] = char(0x01); // offset bits 16..23 of glyph 1
    file[27] = char(7);            // Layout 7 reads like 2
    Font back;
    ASSERT_EQ(readZvf(file, &back), ZvfRead::Ok);
    EXPECT_EQ(back.glyphs[1].reserved2, 0x5a);
    EXPECT_EQ(back.glyphs[1].offset, 0x10004);
    EXPECT_EQ(back.header.layout, 7);
    EXPECT_EQ(back.glyphs[1].pixels, f.glyphs[1].pixels);
}

TEST(ZvfReader, LegacyLayoutIsStoredByteColumnByByteColumn)
{
    Font f = patternFont({20, 17, 6}, 3, 0); // 43 pixels: 6 bytes, Pixwidth 8
    QByteArray file = writeZvf(f);
    ASSERT_EQ(f.header.pixwidth, 8u);
    const int base = 32 + 32;
    const QByteArray groups = file.mid(base, 24);
    // Rebuild the bitmap byte column by byte column: byte j of row r at j * 3 + r.
    for (int j = 0; j < 8; ++j)
        for (int r = 0; r < 3; ++r)
            file[base + j * 3 + r] = groups[(j / 4) * 12 + r * 4 + j % 4];
    file[27] = 0;
    Font back;
    ASSERT_EQ(readZvf(file, &back), ZvfRead::Ok);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(back.glyphs[i].pixels, f.glyphs[i].pixels) << i;
    EXPECT_EQ(back.header.layout, 0);
    writeZvf(back);
    EXPECT_EQ(back.header.layout, 1) << "saving a legacy font writes the current layout";
}

TEST(ZvfReader, RefusesEveryTruncationAndLeavesTheFontAlone)
{
    Font source = patternFont({5, 9, 3}, 7, 1);
    const QByteArray file = writeZvf(source);
    const int needed = 32 + 32 + 7 * int(source.header.pixwidth); // the bitmap padding is not read
    const Font original = defaultFont();
    for (int length = 1; length < needed; ++length) {
        Font target = original;
        ASSERT_EQ(readZvf(file.left(length), &target), ZvfRead::Malformed) << length;
        ASSERT_EQ(target, original) << length;
    }
    Font target = original;
    EXPECT_EQ(readZvf(file.left(needed), &target), ZvfRead::Ok);
    target = original;
    EXPECT_EQ(readZvf(QByteArray(), &target), ZvfRead::Empty);
    EXPECT_EQ(target, original);
}

TEST(ZvfReader, RefusesHeadersThatAskForMoreThanTheFileHolds)
{
    struct Case
    {
        const char *what;
        std::uint32_t pixwidth;
        int chars;
        int height;
        int width;
    };
    const Case cases[] = {
        {"65535 glyphs in 40 bytes", 4, 65535, 14, 8},
        {"huge Pixwidth", 0xfffffffcu, 1, 255, 8},
        {"Pixwidth too small for the widths", 4, 4, 2, 255},
    };
    for (const Case &c : cases) {
        QByteArray file(32, '\0');
        file[16] = char(c.pixwidth & 0xff);
        file[17] = char((c.pixwidth >> 8) & 0xff);
        file[18] = char((c.pixwidth >> 16) & 0xff);
        file[19] = char(c.pixwidth >> 24);
        file[20] = char(c.chars & 0xff);
        file[21] = char(c.chars >> 8);
        file[24] = char(c.height);
        file[27] = 1;
        if (c.chars < 100) {
            QByteArray table(int(glyphTableBytes(c.chars)), '\0');
            for (int i = 0; i < c.chars; ++i)
                table[i * 6 + 3] = char(c.width);
            file += table + QByteArray(int(c.height * c.pixwidth), '\0');
        } else {
            file += QByteArray(8, '\0');
        }
        Font target = defaultFont();
        EXPECT_EQ(readZvf(file, &target), ZvfRead::Malformed) << c.what;
        EXPECT_EQ(target, defaultFont()) << c.what;
    }
}

TEST(ZvfFile, SavesAtomicallyAndLoadsBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.zvf"));
    Font f = patternFont({6, 7}, 5, 1);
    QString error;
    ASSERT_TRUE(saveZvfFile(path, f, &error)) << error.toStdString();
    Font back;
    ASSERT_EQ(loadZvfFile(path, &back, &error), ZvfRead::Ok);
    EXPECT_EQ(back, f);

    // A save into a folder that does not exist fails and leaves nothing behind.
    const QString bad = dir.filePath(QStringLiteral("missing/f.zvf"));
    EXPECT_FALSE(saveZvfFile(bad, f, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(bad));
}

TEST(ZvfFile, LoadReportsMissingAndMalformedFiles)
{
    QTemporaryDir dir;
    QString error;
    Font target = defaultFont();
    EXPECT_EQ(loadZvfFile(dir.filePath(QStringLiteral("nope.zvf")), &target, &error),
              ZvfRead::Malformed);
    EXPECT_FALSE(error.isEmpty());

    // A header that claims 65535 glyphs of 255 rows in a tiny file.
    const QString path = dir.filePath(QStringLiteral("absurd.zvf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray header(40, '\0');
    header[16] = char(0xfc);
    header[17] = header[18] = header[19] = char(0xff);
    header[20] = header[21] = char(0xff);
    header[24] = char(255);
    file.write(header);
    file.close();
    EXPECT_EQ(loadZvfFile(path, &target, &error), ZvfRead::Malformed);
    EXPECT_EQ(error, QString::fromLatin1(UnexpectedFileFormat));
    EXPECT_EQ(target, defaultFont());
}
