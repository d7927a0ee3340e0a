// kernwick-cli import-image, run as a user runs it, on pictures the tests make.

#include "clirun.h"
#include "pictures.h"
#include "qtprinters.h"

#include "libkernwick/font/loadedimage.h"
#include "libkernwick/font/threshold.h"
#include "libkernwick/render/imagefile.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <utility>

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

struct LevelRange
{
    int low;
    int high;
    char value;
};

// The dump of the ramp's glyph when each level becomes the value of its range.
QByteArray rampDump(const std::vector<LevelRange> &ranges)
{
    QByteArray dump = "glyph 32 width 16 left 0 offset 0\n";
    for (int level = 0; level < 256; ++level) {
        for (const LevelRange &range : ranges) {
            if (level >= range.low && level <= range.high)
                dump += range.value;
        }
        if (level % 16 == 15)
            dump += '\n';
    }
    return dump;
}

class CliImage : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path(name);
    }

    QString writeRamp(PictureKind kind = PictureKind::GreyPng,
                      const QString &name = QStringLiteral("ramp.png"))
    {
        return writeFile(name, encodeGreyPicture(16, 16, rampLevel, kind));
    }

    // Imports `picture` with `options` into out.zvf; returns its dump, or the
    // header with `info` set.
    QByteArray import(const QString &picture, const QStringList &options,
                      QByteArray *info = nullptr)
    {
        const CliResult r =
            runCli(QStringList{"import-image", picture, "-o", path("out.zvf")} + options);
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
        if (info)
            *info = runCli({"info", path("out.zvf")}).out;
        return runCli({"dump", path("out.zvf")}).out;
    }

    QTemporaryDir m_dir;
};

TEST_F(CliImage, DefaultsThresholdInThreeColours)
{
    QByteArray info;
    const QByteArray dump = import(writeRamp(), {}, &info);
    // Saving packs the 16 pixels of 2 bits into a Pixwidth of 4 bytes.
    EXPECT_EQ(info, "Name : default\nSkip : 0\nPixwidth : 4\nChars : 1\nFirst : 32\n"
                    "Height : 16\nAscent : 15\nLdepth : 1\nLayout : 1\nFileSize : 128\n");
    EXPECT_EQ(dump, rampDump({{0, 100, '0'}, {101, 149, '1'}, {150, 255, '2'}}));
}

TEST_F(CliImage, OptionsAreTheDialogsChoices)
{
    const struct
    {
        QStringList options;
        std::vector<LevelRange> ranges;
        const char *depth;
    } cases[] = {
        {{"--colors", "2"}, {{0, 149, '0'}, {150, 255, '1'}}, "Ldepth : 0"},
        {{"--colors", "2", "--black", "20", "--white", "0"}, {{0, 255, '1'}}, "Ldepth : 0"},
        {{"--colors", "3", "--black", "180", "--white", "120"},
         {{0, 119, '0'}, {120, 255, '2'}},
         "Ldepth : 1"},
        {{"--black", "10", "--white", "250"},
         {{0, 10, '0'}, {11, 249, '1'}, {250, 255, '2'}},
         "Ldepth : 1"},
        {{"--invert"}, {{0, 105, '2'}, {106, 154, '1'}, {155, 255, '0'}}, "Ldepth : 1"},
    };
    const QString ramp = writeRamp();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        QByteArray info;
        EXPECT_EQ(import(ramp, c.options, &info), rampDump(c.ranges));
        EXPECT_TRUE(info.contains(c.depth)) << info.constData();
    }
}

TEST_F(CliImage, ReadsBmpAndTiffAsPng)
{
    const QByteArray expected = rampDump({{0, 100, '0'}, {101, 149, '1'}, {150, 255, '2'}});
    EXPECT_EQ(import(writeRamp(PictureKind::RgbBmp, "ramp.bmp"), {}), expected);
    EXPECT_EQ(import(writeRamp(PictureKind::GreyTiff, "ramp.tif"), {}), expected);
}

TEST_F(CliImage, OneBitPictureIsTakenAsItIs)
{
    // White at palette index 0, in an asymmetric shape: white stays 1, top stays row 0.
    const QString picture =
        writeFile("shape.bmp", encodeBilevelPicture(
                                   3, 2, [](int r, int c) { return r == 0 && c < 2; }, 0, "bmp"));
    QByteArray info;
    EXPECT_EQ(import(picture, {"--invert", "--colors", "3"}, &info),
              "glyph 32 width 3 left 0 offset 0\n110\n000\n");
    EXPECT_TRUE(info.contains("Ldepth : 0")) << info.constData();
}

TEST_F(CliImage, SavesTheThresholdedPicture)
{
    import(writeRamp(), {"--save-thresholded", path("modified.bmp")});
    LoadedImage saved;
    QString error;
    ASSERT_EQ(loadImageFile(path("modified.bmp"), &saved, &error), ImageLoad::Ok);
    GreyImage ramp = GreyImage::filled(16, 16);
    for (int level = 0; level < 256; ++level)
        ramp.levels[std::size_t(level)] = std::uint8_t(level);
    EXPECT_EQ(saved.image, applyThreshold(ramp, {}));
}

TEST_F(CliImage, FailuresGiveTheBoxTextAndWriteNothing)
{
    const QByteArray png = encodeGreyPicture(64, 64, rampLevel, PictureKind::RgbaPng);
    const QString ramp = writeRamp();
    const struct
    {
        QString picture;
        QStringList options;
        QByteArray err;
    } cases[] = {
        {writeFile("truncated.png", png.left(png.size() / 2)), {}, "kernwick-cli: OOPS!\n"},
        {writeFile("notes.txt", "a text file, not a picture\n"), {}, "kernwick-cli: OOPS!\n"},
        {writeFile("empty.png", {}), {}, "kernwick-cli: OOPS!\n"},
        {writeFile("wide.png", encodeGreyPicture(256, 2, rampLevel, PictureKind::GreyPng)),
         {},
         "kernwick-cli: Image exceeds maximum width of 255 pixels\n"},
        {writeFile("high.bmp", encodeGreyPicture(2, 256, rampLevel, PictureKind::RgbBmp)),
         {},
         "kernwick-cli: Image exceeds maximum height of 255 pixels\n"},
        {ramp,
         {"--save-thresholded", path("modified.xyz")},
         "kernwick-cli: " + path("modified.xyz").toUtf8() +
             ": Cannot write a picture of this type\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.picture.toStdString());
        writeFile("out.zvf", "earlier font");
        const CliResult r =
            runCli(QStringList{"import-image", c.picture, "-o", path("out.zvf")} + c.options);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, c.err);
        QFile out(path("out.zvf"));
        ASSERT_TRUE(out.open(QIODevice::ReadOnly));
        EXPECT_EQ(out.readAll(), QByteArray("earlier font"));
    }

    const CliResult missing = runCli({"import-image", path("missing.png"), "-o", path("x.zvf")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.startsWith("kernwick-cli: " + path("missing.png").toUtf8() + ": "))
        << missing.err.constData();
    EXPECT_FALSE(QFile::exists(path("x.zvf")));
}

TEST_F(CliImage, HugeClaimIsRefusedWithoutMemoryForIt)
{
    // A 60000 x 60000 RGBA PNG would need 14 GB: with 100 MB allowed, only a check
    // of the header before decoding gives the width message rather than "OOPS!".
    QByteArray png = encodeGreyPicture(2, 2, rampLevel, PictureKind::RgbaPng);
    const auto putBigEndian = [&png](qsizetype at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            png[at + i] = char(value >> (24 - 8 * i));
    };
    putBigEndian(16, 60000);
    putBigEndian(20, 60000);
    quint32 crc = 0xffffffffu;
    for (const char byte : png.mid(12, 17)) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    putBigEndian(29, ~crc);
    const QString picture = writeFile("huge.png", png);

    const CliResult r =
        runCliWithMemoryLimit({"import-image", picture, "-o", path("out.zvf")}, 100);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "kernwick-cli: Image exceeds maximum width of 255 pixels\n");
    EXPECT_FALSE(QFile::exists(path("out.zvf")));
}

TEST_F(CliImage, HostileFilesAreRefusedInBoundedMemory)
{
    // Found by fuzzing picture readers: some looped for ever, some claimed
    // gigabytes, two crashed FreeImage's Sun raster and PCX readers.
    const struct
    {
        const char *file;
        const char *message;
    } cases[] = {
        {"hello.pct", "OOPS!"},
        {"two-bytes.wbmp", "OOPS!"},
        {"text-chunk-2gb.png", "OOPS!"},
        {"freeimage-ras-crash.ras", "OOPS!"},
        {"freeimage-pcx-crash.pcx", "OOPS!"},
        {"pcx-65535.pcx", "OOPS!"},
        {"tga-65535.tga", "OOPS!"},
        {"gif-65535.gif", "Image exceeds maximum width of 255 pixels"},
        {"bmp-60000.bmp", "Image exceeds maximum width of 255 pixels"},
        {"tiff-60000.tif", "Image exceeds maximum width of 255 pixels"},
        {"jpeg-65500.jpg", "Image exceeds maximum width of 255 pixels"},
        {"tga-true-65535.tga", "Image exceeds maximum width of 255 pixels"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const CliResult r = runCliWithMemoryLimit(
            {"import-image", testData(QStringLiteral("pictures/") + c.file), "-o", path("out.zvf")},
            100);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, QByteArray("kernwick-cli: ") + c.message + "\n");
        EXPECT_FALSE(QFile::exists(path("out.zvf")));
    }
}

TEST_F(CliImage, APictureThatIsNotARegularFileIsRefused)
{
    // Reading a FIFO would wait for a writer for ever.
    const QString fifo = path("picture.png");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &input : {fifo, m_dir.path()}) {
        const CliResult r = runCli({"import-image", input, "-o", path("out.zvf")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "kernwick-cli: " + input.toUtf8() + ": not a regular file\n");
    }
    EXPECT_FALSE(QFile::exists(path("out.zvf")));
}

class CliImageMagick : public CliImage
{
protected:
    void SetUp() override
    {
        m_convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
        if (m_convert.isEmpty())
            GTEST_SKIP() << "ImageMagick's convert is not installed";
    }

    // `source` converted by ImageMagick with `options` into `name`.
    QString convert(const QString &source, const QStringList &options, const QString &name)
    {
        const ProcessResult r =
            runProcess(m_convert, QStringList{source} + options + QStringList{name}, m_dir.path());
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        const QString out = path(name.section(QLatin1Char(':'), -1));
        EXPECT_TRUE(QFile::exists(out)) << out.toStdString();
        return out;
    }

    QString m_convert;
};

// The BMP header's size (40 is the old one, 108 version 4, 124 version 5) and bits per pixel.
std::pair<int, int> bmpHeader(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {0, 0};
    const QByteArray bytes = f.read(30);
    if (bytes.size() < 30)
        return {0, 0};
    return {quint8(bytes[14]) | quint8(bytes[15]) << 8, quint8(bytes[28]) | quint8(bytes[29]) << 8};
}

TEST_F(CliImageMagick, BmpWithEveryHeaderImportsTheRightPixels)
{
    // 32 grey levels, each a valid palette entry, in a ramp; and an L on its
    // side as a 1-bit picture (PBM: a set bit is black).
    QByteArray levels = "P5\n16 16\n255\n";
    QByteArray expected = "glyph 32 width 16 left 0 offset 0\n";
    for (int i = 0; i < 256; ++i) {
        const int level = 8 * (i % 32) + 4;
        levels += char(level);
        expected += level <= 100 ? '0' : level < 150 ? '1' : '2';
        if (i % 16 == 15)
            expected += '\n';
    }
    const QString grey = writeFile("levels.pgm", levels);
    const QString shape =
        writeFile("shape.pbm", QByteArray("P4\n10 4\n\x80\0\x80\0\x80\0\xff\xc0", 16));
    const QByteArray shapeDump = "glyph 32 width 10 left 0 offset 0\n"
                                 "0111111111\n0111111111\n0111111111\n0000000000\n";
    const struct
    {
        QString source;
        QStringList options;
        const char *name;
        std::pair<int, int> header; // size and bits per pixel
        QByteArray dump;
    } cases[] = {
        // ImageMagick's own header is version 5 (version 4 for 1 bit); BMP3 is the old one.
        {grey, {"-type", "TrueColor"}, "true.bmp", {124, 24}, expected},
        {grey, {"-type", "Palette"}, "palette.bmp", {124, 8}, expected},
        {shape, {"-type", "Bilevel"}, "bilevel.bmp", {108, 1}, shapeDump},
        {shape, {"-colors", "2", "-type", "Palette"}, "two.bmp", {124, 1}, shapeDump},
        {grey, {"-type", "TrueColor"}, "BMP3:true3.bmp", {40, 24}, expected},
        {grey, {"-type", "Palette"}, "BMP3:palette3.bmp", {40, 8}, expected},
        {shape, {"-type", "Bilevel"}, "BMP3:bilevel3.bmp", {40, 1}, shapeDump},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString bmp = convert(c.source, c.options, QString::fromLatin1(c.name));
        EXPECT_EQ(bmpHeader(bmp), c.header);
        EXPECT_EQ(import(bmp, {}), c.dump);
    }
}

TEST_F(CliImageMagick, TgaOfTrueColourReadsAsThePgmAndOtherKindsAreRefused)
{
    // 32 grey levels, so that a palette holds each of them exactly.
    QByteArray levels = "P5\n16 16\n255\n";
    for (int i = 0; i < 256; ++i)
        levels += char(8 * (i % 32) + 4);
    const QString grey = writeFile("levels.pgm", levels);
    const QByteArray expected = import(grey, {});
    // ImageMagick writes no TGA 2.0 footer, which Qt's reader wants. It keeps a
    // picture's rows in their order and labels a TGA by the picture's
    // orientation, bottom-up unless told: so one labelled bottom up is flipped
    // first.
    const struct
    {
        QStringList options;
        const char *name;
    } read[] = {
        {{"-type", "TrueColor", "-orient", "TopLeft"}, "true.tga"},
        {{"-type", "TrueColor", "-flip", "-orient", "BottomLeft"}, "bottom-up.tga"},
        {{"-type", "TrueColorAlpha", "-orient", "TopLeft"}, "alpha.tga"},
    };
    for (const auto &c : read) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(import(convert(grey, c.options, QString::fromLatin1(c.name)), {}), expected);
    }
    const struct
    {
        QStringList options;
        const char *name;
    } refused[] = {
        {{"-type", "TrueColor", "-compress", "RLE"}, "rle.tga"},
        {{"-type", "Grayscale"}, "grey.tga"},
        // A grey palette ImageMagick writes as true colour; one red dot keeps it.
        {{"-fill", "red", "-draw", "point 0,0", "-type", "Palette"}, "palette.tga"},
        {{"-type", "TrueColor"}, "true.pcx"},
    };
    for (const auto &c : refused) {
        SCOPED_TRACE(c.name);
        const CliResult r =
            runCli({"import-image", convert(grey, c.options, QString::fromLatin1(c.name)), "-o",
                    path("refused.zvf")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "kernwick-cli: OOPS!\n");
    }
    EXPECT_FALSE(QFile::exists(path("refused.zvf")));
}

TEST_F(CliImage, UsageErrors)
{
    const QString ramp = writeRamp();
    const QStringList cases[] = {
        {ramp},
        {ramp, ramp, "-o", path("out.zvf")},
        {ramp, "-o", path("out.zvf"), "--colors", "4"},
        {ramp, "-o", path("out.zvf"), "--black", "256"},
        {ramp, "-o", path("out.zvf"), "--white", "x"},
        {ramp, "-o", ramp},
    };
    for (const QStringList &args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const CliResult r = runCli(QStringList{"import-image"} + args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.startsWith("kernwick-cli: ")) << r.err.constData();
        EXPECT_FALSE(QFile::exists(path("out.zvf")));
    }
}

} // namespace
