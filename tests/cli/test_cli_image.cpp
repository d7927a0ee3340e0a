// kernwick-cli import-image, run as a user runs it, on pictures the tests make.

#include "clirun.h"
#include "pictures.h"
#include "qtprinters.h"

#include "libkernwick/font/imagefile.h"
#include "libkernwick/font/threshold.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

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
                                   3, 2, [](int r, int c) { return r == 0 && c < 2; }, 0, FIF_BMP));
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
    // A 60000 x 60000 RGBA PNG would need 14 GB: with 1 GB allowed, only a check
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

    QProcess process;
#if defined(__SANITIZE_ADDRESS__)
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") +
                                   ":allocator_may_return_null=1:max_allocation_size_mb=1024");
    process.setProcessEnvironment(env);
#else
    process.setChildProcessModifier([] {
        const rlimit limit{rlim_t(1) << 30, rlim_t(1) << 30};
        setrlimit(RLIMIT_AS, &limit);
    });
#endif
    process.start(QStringLiteral(KERNWICK_CLI), {"import-image", picture, "-o", path("out.zvf")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(process.readAllStandardError(),
              "kernwick-cli: Image exceeds maximum width of 255 pixels\n");
    EXPECT_FALSE(QFile::exists(path("out.zvf")));
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
