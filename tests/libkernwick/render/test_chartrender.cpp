// Drawing the font chart: brushes by depth, outlines, text, and the PDF and PNG
// writers.

#include "qtprinters.h"
#include "testapplication.h"

#include "libkernwick/render/chartexport.h"
#include "libkernwick/render/chartrenderer.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>

#include <gtest/gtest.h>

KERNWICK_TEST_APPLICATION(QGuiApplication);

using namespace Kernwick;

namespace {

const QRgb white = qRgb(255, 255, 255);
const QRgb black = qRgb(0, 0, 0);
const QRgb grey = qRgb(128, 128, 128);

// One glyph of 6 × 3 whose middle row holds 0 0 1 2 3 0 (2BPP) or 0 0 1 0 1 0
// (1BPP), away from the box's edges.
Font sampleFont(std::uint8_t ldepth)
{
    Font font = defaultFont();
    font.header.ldepth = ldepth;
    font.header.height = 3;
    font.resizeGlyphTable(1);
    font.glyphs[0].reset(3, 6);
    for (int c = 2; c < 5; ++c)
        font.glyphs[0].setPixel(1, c, std::uint8_t(ldepth == 0 ? (c + 1) % 2 : c - 1));
    return font;
}

// Draws page 1 of the chart of `font` on a white A4 page at 150 dpi.
struct DrawnChart
{
    QImage image;
    FontChart chart;

    explicit DrawnChart(const Font &font)
        : image(QPageSize(QPageSize::A4).sizePixels(150), QImage::Format_RGB32)
    {
        image.setDotsPerMeterX(5906);
        image.setDotsPerMeterY(5906);
        image.fill(Qt::white);
        chart = layoutFontChart(font, chartPageMetrics(image.size(), &image));
        QPainter painter(&image);
        drawChartPage(painter, font, chart.pages[0]);
    }

    QRgb at(const QPoint &p) const { return image.pixel(p); }
    const ChartEntry &entry(int i) const { return chart.pages[0].entries[std::size_t(i)]; }
    QRgb cellCentre(int row, int column) const { return at(entry(0).cell(row, column).center()); }
    QRgb cellCorner(int row, int column) const { return at(entry(0).cell(row, column).topLeft()); }

    // Whether any pixel of `rect` is not white.
    bool inked(const QRect &rect) const
    {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x) {
                if (image.pixel(x, y) != white)
                    return true;
            }
        }
        return false;
    }
};

TEST(ChartRender, TwoBppPixelsAreGreyAndBlackCellsOutlinedInBlack)
{
    const DrawnChart drawn(sampleFont(1));
    EXPECT_EQ(drawn.cellCentre(1, 1), white) << "transparent pixels are not drawn";
    EXPECT_EQ(drawn.cellCorner(1, 1), white);
    EXPECT_EQ(drawn.cellCentre(1, 2), grey) << "halftone";
    EXPECT_EQ(drawn.cellCorner(1, 2), black) << "the cell's outline";
    EXPECT_EQ(drawn.cellCentre(1, 3), black) << "white";
    EXPECT_EQ(drawn.cellCentre(1, 4), black) << "value 3 is drawn as white is";
    EXPECT_EQ(drawn.cellCentre(1, 5), white);
}

TEST(ChartRender, OneBppValueOneIsBlack)
{
    const DrawnChart drawn(sampleFont(0));
    EXPECT_EQ(drawn.cellCentre(1, 1), white);
    EXPECT_EQ(drawn.cellCentre(1, 2), black);
    EXPECT_EQ(drawn.cellCentre(1, 3), white);
    EXPECT_EQ(drawn.cellCentre(1, 4), black);
}

TEST(ChartRender, GlyphBoxIsOutlinedInsideItsRectangle)
{
    const DrawnChart drawn(sampleFont(1));
    const QRect box = drawn.entry(0).box;
    const int middleOfRow0 = box.top() + 5;
    EXPECT_EQ(drawn.at({box.left(), middleOfRow0}), black);
    EXPECT_EQ(drawn.at({box.left() + box.width() - 1, middleOfRow0}), black);
    EXPECT_EQ(drawn.at({box.left() + box.width(), middleOfRow0}), white);
    EXPECT_EQ(drawn.at({box.left() + 15, box.top()}), black);
    EXPECT_EQ(drawn.at({box.left() + 15, box.top() + box.height() - 1}), black);
    EXPECT_EQ(drawn.at({box.left() + 15, box.top() + box.height()}), white);
}

TEST(ChartRender, WritesTheTitleAndTheLabel)
{
    const DrawnChart drawn(sampleFont(1));
    const ChartPage &page = drawn.chart.pages[0];
    const int lineHeight = drawn.entry(0).labelOrigin.y() - page.titleOrigin.y();
    EXPECT_TRUE(drawn.inked(QRect(page.titleOrigin, QSize(400, lineHeight / 2))));
    const QPoint label = drawn.entry(0).labelOrigin;
    EXPECT_TRUE(drawn.inked(QRect(label, QPoint(drawn.entry(0).box.left() - 1, label.y() + 20))));
    EXPECT_FALSE(drawn.inked(QRect(0, 0, page.titleOrigin.x(), page.titleOrigin.y())))
        << "nothing above or left of the title";
}

TEST(ChartExport, PngStacksThePages)
{
    Font font = defaultFont();
    const FontChart chart = pngChartLayout(font, 150);
    ASSERT_GE(chart.pageCount(), 2) << "at 150 dpi at most 10 glyphs fit a line";
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QString error;
    ASSERT_TRUE(writeChartPng(font, 150, &buffer, &error)) << error.toStdString();
    const QImage image = QImage::fromData(png, "PNG");
    EXPECT_EQ(image.size(), QSize(1240, chart.pageCount() * 1754));
    EXPECT_EQ(qRound(image.dotsPerMeterX() * 0.0254), 150);
    // Page 2's first box outline sits one page height below where the layout puts it.
    const ChartEntry &first = chart.pages[1].entries[0];
    EXPECT_EQ(image.pixel(first.box.left(), 1754 + first.box.top() + 5), black);
    EXPECT_EQ(image.pixel(first.box.left() + 5, 1754 + first.box.top() + 5), white);
}

TEST(ChartExport, PngRefusesAChartTooLongForOnePicture)
{
    Font font = defaultFont();
    font.resizeGlyphTable(MaxGlyphs);
    for (Glyph &g : font.glyphs)
        g.reset(font.header.height, 8);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QString error;
    EXPECT_FALSE(writeChartPng(font, 150, &buffer, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("write it as a PDF"))) << error.toStdString();
    EXPECT_TRUE(png.isEmpty());
}

TEST(ChartExport, PdfHasOnePagePerChartPage)
{
    Font font = defaultFont();
    font.resizeGlyphTable(1500);
    for (Glyph &g : font.glyphs)
        g.reset(font.header.height, 8);
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QString error;
    ASSERT_TRUE(writeChartPdf(font, 600, &buffer, &error)) << error.toStdString();
    ASSERT_TRUE(pdf.startsWith("%PDF-"));
    // Every page object is a dictionary of "/Type /Page" (the page tree is "/Pages").
    const qsizetype pages = pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") +
                            pdf.count("/Type /Page/") + pdf.count("/Type /Page>");
    const int expected = pdfChartLayout(font, 600).pageCount();
    EXPECT_GT(expected, 1);
    EXPECT_EQ(pages, expected);
}

} // namespace
