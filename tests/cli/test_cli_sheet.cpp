// kernwick-cli export-sheet and import-sheet, run as a user runs them: exact round
// trips, a sheet edited by another program, and sheets that must be refused.

#include "clirun.h"
#include "testapplication.h"

#include "libkernwick/font/glyphsheet.h"
#include "libkernwick/font/zvffile.h"
#include "libkernwick/render/glyphsheetimage.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <random>

KERNWICK_TEST_APPLICATION(QGuiApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

class CliSheet : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QByteArray read(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void saveFont(const QString &name, Font font) const
    {
        QString error;
        ASSERT_TRUE(saveZvfFile(path(name), font, &error)) << error.toStdString();
    }
    Font loadFont(const QString &name) const
    {
        Font font;
        QString error;
        EXPECT_EQ(loadZvfFile(path(name), &font, &error), ZvfRead::Ok) << error.toStdString();
        return font;
    }
    // export-sheet IN -o sheet.png, then import-sheet sheet.png -o back.zvf.
    void roundTrip(const QString &in)
    {
        const CliResult exported =
            runCli({"export-sheet", path(in), "-o", path("sheet.png")}, m_dir.path());
        ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
        const CliResult imported =
            runCli({"import-sheet", path("sheet.png"), "-o", path("back.zvf")}, m_dir.path());
        ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    }

    QTemporaryDir m_dir;
};

Font twoBppWithValueThree()
{
    Font font = defaultFont();
    font.header.ldepth = 1;
    font.setName("threes");
    std::mt19937 random(5);
    for (Glyph &g : font.glyphs) {
        g.resize(font.header.height, 1 + int(random() % 10));
        for (auto &p : g.pixels)
            p = std::uint8_t(random() % 4);
    }
    return font;
}

} // namespace

TEST_F(CliSheet, ExportThenImportGivesTheFontByteForByte)
{
    ASSERT_EQ(runCli({"default", "-o", path("default.zvf")}).exitCode, 0);
    roundTrip("default.zvf");
    EXPECT_EQ(read("back.zvf"), read("default.zvf"));

    saveFont("threes.zvf", twoBppWithValueThree());
    roundTrip("threes.zvf");
    EXPECT_EQ(read("back.zvf"), read("threes.zvf"));

    ASSERT_EQ(runCli({"new", "-o", path("many.zvf"), "--chars", "65535", "--first", "1"}).exitCode,
              0);
    roundTrip("many.zvf");
    EXPECT_EQ(read("back.zvf"), read("many.zvf"));
}

TEST_F(CliSheet, ASheetEditedByAnotherProgramImportsWithExactlyThatPixelChanged)
{
    saveFont("threes.zvf", twoBppWithValueThree());
    ASSERT_EQ(runCli({"export-sheet", path("threes.zvf"), "-o", path("sheet.png")}).exitCode, 0);

    // The other program: load the picture, paint one pixel white, save it.
    QImage sheet = QImage(path("sheet.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(sheet.isNull());
    const Font font = loadFont("threes.zvf");
    const SheetGeometry geometry = sheetGeometry(font);
    const int glyph = 33;
    const int row = 6;
    const int column = font.glyphs[glyph].width - 1;
    const std::uint8_t was = font.glyphs[glyph].pixel(row, column);
    const std::uint8_t now = was == 2 ? 0 : 2;
    sheet.setPixel(int(geometry.cellLeft(glyph)) + column, int(geometry.cellTop(glyph)) + row,
                   sheetColorRgb(SheetColor(now)));
    ASSERT_TRUE(sheet.save(path("edited.png")));

    const CliResult imported = runCli({"import-sheet", path("edited.png"), "-o", path("back.zvf")});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    Font expected = font;
    expected.glyphs[glyph].setPixel(row, column, now);
    EXPECT_EQ(loadFont("back.zvf"), expected);
}

TEST_F(CliSheet, AForeignColourIsRefusedAndTheOutputStaysAsItWas)
{
    ASSERT_EQ(runCli({"default", "-o", path("default.zvf")}).exitCode, 0);
    ASSERT_EQ(runCli({"export-sheet", path("default.zvf"), "-o", path("sheet.png")}).exitCode, 0);
    QImage sheet(path("sheet.png"));
    sheet = sheet.convertToFormat(QImage::Format_RGB32);
    sheet.setPixel(17, 4, qRgb(200, 0, 0));
    ASSERT_TRUE(sheet.save(path("red.png")));
    write("out.zvf", "old");

    const CliResult result = runCli({"import-sheet", path("red.png"), "-o", path("out.zvf")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err.toStdString(),
              "kernwick-cli: " + path("red.png").toStdString() +
                  ": Pixel (17, 4) has the colour #c80000, which is not one of the glyph "
                  "sheet's colours\n");
    EXPECT_EQ(read("out.zvf"), "old");
}

TEST_F(CliSheet, BadInputsFailCleanly)
{
    write("text.png", "not a picture");
    write("empty.zvf", "");
    struct Case
    {
        QStringList args;
        int exitCode;
        QString message;
    };
    const Case cases[] = {
        {{"import-sheet", path("text.png"), "-o", path("out.zvf")},
         1,
         path("text.png") + ": The file is not a PNG picture"},
        {{"import-sheet", path("missing.png"), "-o", path("out.zvf")},
         1,
         path("missing.png") + ": No such file or directory"},
        {{"export-sheet", path("empty.zvf"), "-o", path("out.png")},
         1,
         path("empty.zvf") + ": Unexpected file format."},
        {{"export-sheet", path("empty.zvf")}, 2, "export-sheet needs an output file: -o FILE"},
        {{"import-sheet", "-o", path("out.zvf")}, 2, "import-sheet needs exactly one SHEET"},
        {{"import-sheet", path("text.png"), "-o", path("text.png")},
         2,
         "the output file must not be the input file"},
    };
    for (const Case &c : cases) {
        const CliResult result = runCli(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_EQ(result.err, ("kernwick-cli: " + c.message + "\n").toUtf8());
    }
    EXPECT_FALSE(QFile::exists(path("out.zvf")));
    EXPECT_FALSE(QFile::exists(path("out.png")));
}

TEST_F(CliSheet, TheWriterAndTheReaderAgreeOnTheLargestSheet)
{
    // 512 glyphs of 255 x 255: a sheet of 4097 x 8193 pixels, within the limit,
    // which the reader must take whatever its picture library allows by default.
    ASSERT_EQ(runCli({"new", "-o", path("large.zvf"), "--chars", "512", "--height", "255",
                      "--width", "255", "--ascent", "200"})
                  .exitCode,
              0);
    roundTrip("large.zvf");
    EXPECT_EQ(read("back.zvf"), read("large.zvf"));

    // Twice as many would pass the limit: refused when exporting, saying why.
    ASSERT_EQ(runCli({"new", "-o", path("larger.zvf"), "--chars", "1024", "--height", "255",
                      "--width", "255", "--ascent", "200"})
                  .exitCode,
              0);
    const CliResult r = runCli({"export-sheet", path("larger.zvf"), "-o", path("larger.png")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "kernwick-cli: " + path("larger.png").toUtf8() +
                         ": The font's glyph sheet would be 4097 × 16385 pixels; a sheet may have "
                         "at most 67108864 pixels and 1000000 on a side\n");
    EXPECT_FALSE(QFile::exists(path("larger.png")));
}

TEST_F(CliSheet, HostileInputsAreRefusedInBoundedMemory)
{
    // A 58-byte PNG whose text chunk claims 2 GB, and a FIFO that would block a
    // reader for ever.
    const QString claim = testData("pictures/text-chunk-2gb.png");
    const CliResult damaged =
        runCliWithMemoryLimit({"import-sheet", claim, "-o", path("out.zvf")}, 100);
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_EQ(damaged.err, "kernwick-cli: " + claim.toUtf8() +
                               ": The PNG picture is damaged and cannot be read\n");

    const QString fifo = path("sheet.png");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const CliResult blocked = runCli({"import-sheet", fifo, "-o", path("out.zvf")});
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_EQ(blocked.err, "kernwick-cli: " + fifo.toUtf8() + ": not a regular file\n");
    EXPECT_FALSE(QFile::exists(path("out.zvf")));
}
