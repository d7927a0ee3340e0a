// kernwick-cli chart, run as a user runs it; the PDFs are read back with poppler's
// pdfinfo and pdftotext, the PNGs with Qt.

#include "clirun.h"
#include "pdftext.h"
#include "qtprinters.h"
#include "testapplication.h"

#include "libkernwick/font/zvffile.h"
#include "libkernwick/render/chartexport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

KERNWICK_TEST_APPLICATION(QGuiApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

QStringList pdfWords(const QString &pdf)
{
    return pdfText(pdf).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

// The words a chart of `pages` pages must show: each page's title, then the
// labels of its glyphs, in order.
QStringList chartWords(const QByteArray &name, const FontChart &chart)
{
    QStringList words;
    for (const ChartPage &page : chart.pages) {
        words << QStringLiteral("Font") << QStringLiteral("Name") << QString::fromLatin1(name)
              << QStringLiteral("Page") << QString::number(page.number);
        for (const ChartEntry &e : page.entries)
            words << e.label();
    }
    return words;
}

Font fontOf(int chars, int width, int height, int first)
{
    Font font = defaultFont();
    font.header.first = std::uint16_t(first);
    font.header.height = std::uint8_t(height);
    font.resizeGlyphTable(chars);
    for (Glyph &g : font.glyphs)
        g.reset(height, width);
    return font;
}

class CliChart : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString writeFont(Font font, const QString &name = QStringLiteral("font.zvf"))
    {
        QString error;
        EXPECT_TRUE(saveZvfFile(path(name), font, &error)) << error.toStdString();
        return path(name);
    }

    void chart(const QStringList &args)
    {
        const CliResult r = runCli(QStringList{QStringLiteral("chart")} + args);
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
    }

    QTemporaryDir m_dir;
};

TEST_F(CliChart, DefaultFontPdfIsOneA4PageWithTheTitleAndEveryLabel)
{
    const QString font = writeFont(defaultFont());
    chart({font, "-o", path("chart.pdf")});
    EXPECT_EQ(pdfPageCount(path("chart.pdf")), 1);
    EXPECT_TRUE(poppler("pdfinfo", {path("chart.pdf")}).contains("(A4)"));
    QStringList expected = {"Font", "Name", "default", "Page", "1"};
    for (int code = 0x20; code <= 0x7e; ++code)
        expected << QString::number(code, 16).toUpper();
    EXPECT_EQ(pdfWords(path("chart.pdf")), expected);
}

TEST_F(CliChart, FullFontPdfShowsEveryGlyphOnExactlyOnePage)
{
    Font big = fontOf(MaxGlyphs, 3, 2, 0);
    big.setName("big");
    const QString font = writeFont(big);
    chart({font, "-o", path("big.pdf")});
    const FontChart layout = pdfChartLayout(big, DefaultChartPdfDpi);
    EXPECT_GT(layout.pageCount(), 10);
    EXPECT_EQ(pdfPageCount(path("big.pdf")), layout.pageCount());
    // The labels 00 to FFFE, each once and in order, under their pages' titles.
    const QStringList words = pdfWords(path("big.pdf"));
    const QStringList expected = chartWords("big", layout);
    EXPECT_EQ(words.size(), expected.size());
    for (qsizetype i = 0; i < std::min(words.size(), expected.size()); ++i) {
        if (words[i] != expected[i]) {
            ADD_FAILURE() << "word " << i << " is " << words[i].toStdString() << ", not "
                          << expected[i].toStdString() << " (before: "
                          << words.mid(std::max<qsizetype>(0, i - 5), 10).join(' ').toStdString()
                          << ")";
            break;
        }
    }
    EXPECT_EQ(words.count(QStringLiteral("FFFE")), 1);
}

TEST_F(CliChart, PngShowsBlackCellsWhereThePixelsAre)
{
    // 'A' gets its top-left and bottom-right pixels, '~' (on page 2 at 150 dpi) one
    // in its middle.
    Font font = defaultFont();
    Glyph &upperA = font.glyphs[0x41 - 0x20];
    upperA.setPixel(0, 0, 1);
    upperA.setPixel(13, 7, 1);
    font.glyphs[0x7e - 0x20].setPixel(5, 3, 1);
    chart({writeFont(font), "-o", path("chart.png")});

    const QImage image(path("chart.png"));
    const FontChart layout = pngChartLayout(font, DefaultChartPngDpi);
    ASSERT_GE(layout.pageCount(), 2) << "at 150 dpi at most 10 glyphs fit a line";
    const int pageHeight = 1754;
    ASSERT_EQ(image.size(), QSize(1240, layout.pageCount() * pageHeight));

    const auto cellCentre = [&](int glyph, int row, int column) {
        for (const ChartPage &page : layout.pages) {
            for (const ChartEntry &e : page.entries) {
                if (e.glyphIndex == glyph)
                    return e.cell(row, column).center() + QPoint(0, pageHeight * (page.number - 1));
            }
        }
        return QPoint(-1, -1);
    };
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    EXPECT_EQ(image.pixel(cellCentre(0x21, 0, 0)), black);
    EXPECT_EQ(image.pixel(cellCentre(0x21, 13, 7)), black);
    EXPECT_EQ(image.pixel(cellCentre(0x21, 0, 1)), white);
    EXPECT_EQ(image.pixel(cellCentre(0x21, 7, 4)), white);
    EXPECT_EQ(image.pixel(cellCentre(0x20, 0, 0)), white) << "'@' has no pixels";
    const QPoint tilde = cellCentre(0x5e, 5, 3);
    EXPECT_GT(tilde.y(), pageHeight) << "'~' is on page 2";
    EXPECT_EQ(image.pixel(tilde), black);
    EXPECT_EQ(image.pixel(cellCentre(0x5e, 5, 2)), white);
}

TEST_F(CliChart, DpiSetsThePngsResolution)
{
    chart({writeFont(defaultFont()), "-o", path("chart.png"), "--dpi", "300"});
    const QImage image(path("chart.png"));
    const QSize page = QPageSize(QPageSize::A4).sizePixels(300);
    EXPECT_EQ(page, QSize(2479, 3508)) << "A4 is 595 x 842 points";
    EXPECT_EQ(image.width(), page.width());
    EXPECT_EQ(image.height(), page.height() * pngChartLayout(defaultFont(), 300).pageCount());
    EXPECT_EQ(qRound(image.dotsPerMeterX() * 0.0254), 300);
}

TEST_F(CliChart, RefusalsWriteNothing)
{
    const QString font = writeFont(defaultFont());
    const QString big = writeFont(fontOf(MaxGlyphs, 8, 14, 0), QStringLiteral("big.zvf"));
    const QString garbage = path("garbage.zvf");
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a font");
    file.close();

    const struct
    {
        QStringList args;
        int exitCode;
        const char *message; // part of standard error
        const char *output;
    } cases[] = {
        {{font, "-o", path("chart.jpg")}, 2, "must end in .pdf or .png", "chart.jpg"},
        {{font, "-o", path("chart.png"), "--dpi", "50"},
         2,
         "--dpi must be from 72 to 1200",
         "chart.png"},
        {{font, "-o", path("chart.png"), "--dpi", "many"},
         2,
         "--dpi must be a decimal number",
         "chart.png"},
        {{font}, 2, "needs an output file", "chart.png"},
        {{garbage, "-o", path("chart.pdf")}, 1, "Unexpected file format.", "chart.pdf"},
        {{path("missing.zvf"), "-o", path("chart.pdf")}, 1, "missing.zvf", "chart.pdf"},
        {{big, "-o", path("chart.png")}, 1, "too many for one PNG picture", "chart.png"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliResult r = runCli(QStringList{QStringLiteral("chart")} + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_TRUE(r.err.startsWith("kernwick-cli: ")) << r.err.constData();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.constData();
        EXPECT_FALSE(QFile::exists(path(QString::fromLatin1(c.output))));
    }
}

TEST_F(CliChart, FailureLeavesAnEarlierChartIntact)
{
    const QString big = writeFont(fontOf(MaxGlyphs, 8, 14, 0), QStringLiteral("big.zvf"));
    QFile earlier(path("chart.png"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier chart");
    earlier.close();
    EXPECT_EQ(runCli({"chart", big, "-o", path("chart.png")}).exitCode, 1);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), QByteArray("earlier chart"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList({"big.zvf", "chart.png"}))
        << "no temporary file is left behind";
}

TEST_F(CliChart, OtherCommandsNeedNoWindowSystem)
{
    // With a platform that does not exist, only a command that draws could fail.
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KERNWICK_CLI), {"default", "-o", path("default.zvf")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(path("default.zvf")));
}

} // namespace
