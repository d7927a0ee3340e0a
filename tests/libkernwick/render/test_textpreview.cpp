// The text preview: codes from typed text, glyphs set at their widths, and what
// is drawn over the video-like background.

#include "testapplication.h"

#include "libkernwick/render/textpreview.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

KERNWICK_TEST_APPLICATION(QGuiApplication);

using namespace Kernwick;

namespace {

// Glyph 'A' is 3 wide with a white first column, 'B' 5 wide with a halftone last
// column and a value-3 pixel, in a 2BPP font 4 rows high.
Font twoGlyphs()
{
    Font font;
    font.header.first = 'A';
    font.header.height = 4;
    font.header.ldepth = 1;
    font.resizeGlyphTable(2);
    font.glyphs[0].reset(4, 3);
    font.glyphs[1].reset(4, 5);
    for (int r = 0; r < 4; ++r) {
        font.glyphs[0].setPixel(r, 0, 2);
        font.glyphs[1].setPixel(r, 4, 1);
    }
    font.glyphs[1].setPixel(0, 0, 3);
    return font;
}

QImage drawn(const TextLine &line, int scale, const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    drawTextLine(painter, line, QPoint(2, 1), scale, image.rect());
    return image;
}

} // namespace

TEST(TextPreview, TypedTextBecomesOneCodePerCharacter)
{
    EXPECT_EQ(textCodes(QStringLiteral("A\u00e9\u20ac")), (QList<int>{65, 233, 8364}));
    EXPECT_EQ(textCodes(QString::fromUtf8("\xf0\x9f\x98\x80")), (QList<int>{0x1F600}))
        << "a surrogate pair is one code";
    EXPECT_TRUE(textCodes(QString()).isEmpty());
}

TEST(TextPreview, GlyphsFollowOneAnotherAtTheirWidths)
{
    const Font font = twoGlyphs();
    const TextLine line = setTextLine(font, {'A', 'B', 'A', 'Z'});
    ASSERT_EQ(line.glyphs.size(), 4u);
    EXPECT_EQ(line.glyphs[0], &font.glyphs[0]);
    EXPECT_EQ(line.glyphs[1], &font.glyphs[1]);
    EXPECT_EQ(line.glyphs[3], nullptr) << "'Z' is not in the font";
    EXPECT_EQ(line.placeholderWidth(), 3);
    EXPECT_EQ(line.width(), 3 + 5 + 3 + 3);
}

TEST(TextPreview, PixelsAreDrawnAsTheBoardShowsThemAtTheScale)
{
    const Font font = twoGlyphs();
    const QImage image = drawn(setTextLine(font, {'A', 'B'}), 2, QSize(30, 12));
    const auto at = [&](int column, int row) {
        return image.pixel(2 + 2 * column + 1, 1 + 2 * row + 1);
    };
    EXPECT_EQ(at(0, 0), qRgb(255, 255, 255)) << "white covers the video";
    EXPECT_EQ(at(1, 0), qRgb(0, 0, 0)) << "transparent shows it";
    EXPECT_EQ(at(3, 0), PreviewColors::ValueThree.rgb()) << "'B' starts 3 pixels on";
    EXPECT_EQ(at(7, 2), qRgb(128, 128, 128)) << "halftone lets half of it through";
    EXPECT_EQ(at(8, 2), qRgb(0, 0, 0)) << "nothing after the last glyph";
    // Each font pixel is a sharp 2 × 2 square.
    EXPECT_EQ(image.pixel(2, 1), image.pixel(3, 2));
    EXPECT_EQ(image.pixel(4, 1), qRgb(0, 0, 0));
}

TEST(TextPreview, ACodeTheFontLacksIsAPlaceholderBox)
{
    Font font = twoGlyphs();
    font.header.height = 8;
    const TextLine line = setTextLine(font, {'?', 'A'});
    ASSERT_EQ(line.placeholderWidth(), 4);
    const QImage image = drawn(line, 1, QSize(12, 10));
    const QRgb box = PreviewColors::Placeholder.rgb();
    EXPECT_EQ(image.pixel(2, 1), box) << "the top-left corner";
    EXPECT_EQ(image.pixel(4, 1), box) << "the top-right corner";
    EXPECT_EQ(image.pixel(3, 8), box) << "the bottom edge";
    EXPECT_EQ(image.pixel(2, 5), box) << "the left edge";
    EXPECT_EQ(image.pixel(3, 4), qRgb(0, 0, 0)) << "an open box";
    EXPECT_EQ(image.pixel(5, 1), qRgb(0, 0, 0)) << "a gap before the next glyph";
    EXPECT_EQ(image.pixel(6, 1), qRgb(255, 255, 255)) << "'A' after the box's room";
}

TEST(TextPreview, OneBitFontsAreWhiteWhereTheFileHoldsABit)
{
    Font font = twoGlyphs();
    font.header.ldepth = 0;
    const QImage image = drawn(setTextLine(font, {'B'}), 1, QSize(10, 8));
    EXPECT_EQ(image.pixel(2 + 4, 1), qRgb(255, 255, 255)) << "1 is white in 1BPP";
    EXPECT_EQ(image.pixel(2, 1), qRgb(255, 255, 255)) << "3 keeps its low bit";
}

TEST(TextPreview, TheBackgroundIsDarkVideo)
{
    QImage image(40, 40, QImage::Format_RGB32);
    QPainter painter(&image);
    drawVideoBackground(painter, image.rect());
    painter.end();
    for (const QPoint p : {QPoint(0, 0), QPoint(20, 20), QPoint(39, 39)})
        EXPECT_LT(qGray(image.pixel(p)), 64) << p.x() << "," << p.y();
    EXPECT_NE(image.pixel(5, 0), image.pixel(5, 39)) << "a gradient";
    EXPECT_NE(image.pixel(5, 10), image.pixel(5, 11)) << "scan lines";
}
