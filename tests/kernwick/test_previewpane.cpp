// The Text Preview pane and the Import Typeface dialog, on the offscreen platform.

#include "editor/previewpane.h"
#include "editor/typefacedialog.h"
#include "qtprinters.h"
#include "testapplication.h"
#include "useranswers.h"
#include "widgets/messages.h"
#include "widgets/spinfield.h"

#include "libkernwick/font/document.h"
#include "libkernwick/render/textpreview.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

KERNWICK_TEST_APPLICATION(QApplication);

using namespace Kernwick;
using Kernwick::Test::UserAnswers;

namespace {

constexpr int Margin = TextLineCanvas::Margin;

// 'A' is 3 pixels wide and all white, 'B' 5 wide with a white last column, in a
// 2BPP font 6 rows high.
Font abFont()
{
    Font font;
    font.setName("ab");
    font.header.first = 'A';
    font.header.height = 6;
    font.header.ascent = 4;
    font.header.ldepth = 1;
    font.resizeGlyphTable(2);
    font.glyphs[0].reset(6, 3);
    std::fill(font.glyphs[0].pixels.begin(), font.glyphs[0].pixels.end(), 2);
    font.glyphs[1].reset(6, 5);
    for (int r = 0; r < 6; ++r)
        font.glyphs[1].setPixel(r, 4, 2);
    font.computeFileSize();
    return font;
}

class PreviewPaneTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        document.takeImportedFont(abFont());
        pane.resize(400, 160);
        pane.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
        pane.scaleBox()->setCurrentIndex(0); // 1×
        pane.textEdit()->setText(QStringLiteral("AB"));
    }
    QImage canvas() { return pane.canvas()->grab().toImage(); }
    // Whether column `x` of the text (in font pixels, at scale `scale`) is white on
    // the middle row.
    bool white(const QImage &image, int x, int scale = 1)
    {
        const QPoint p(Margin + x * scale + scale / 2, Margin + 3 * scale);
        return image.pixel(p) == qRgb(255, 255, 255);
    }

    Document document;
    PreviewPane pane{document};
};

} // namespace

TEST_F(PreviewPaneTest, AbShowsTheTwoGlyphsAtTheirWidths)
{
    const QImage image = canvas();
    for (int x = 0; x < 3; ++x)
        EXPECT_TRUE(white(image, x)) << "'A' fills columns 0 to 2, x " << x;
    for (int x = 3; x < 7; ++x)
        EXPECT_FALSE(white(image, x)) << "'B' is dark in columns 3 to 6, x " << x;
    EXPECT_TRUE(white(image, 7)) << "'B''s last column is 3 + 4";
    EXPECT_FALSE(white(image, 8)) << "nothing after the text";
    EXPECT_LT(qGray(image.pixel(Margin + 5, Margin + 3)), 64) << "the video shows through";
}

TEST_F(PreviewPaneTest, TheScaleEnlargesEveryPixel)
{
    Font tall = abFont();
    tall.header.height = 60;
    for (Glyph &g : tall.glyphs)
        g.resize(60, g.width);
    document.takeImportedFont(tall);
    const int small = pane.minimumSizeHint().height();
    pane.scaleBox()->setCurrentIndex(3);
    EXPECT_GE(pane.minimumSizeHint().height(), small + 3 * 60) << "the pane grows with the line";
    document.takeImportedFont(abFont());
    EXPECT_EQ(pane.canvas()->scale(), 4);
    const QImage image = canvas();
    EXPECT_TRUE(white(image, 2, 4));
    EXPECT_FALSE(white(image, 3, 4));
    EXPECT_TRUE(white(image, 7, 4));
    EXPECT_EQ(image.pixel(Margin + 4 * 7, Margin), qRgb(255, 255, 255)) << "a 4 × 4 square";
    EXPECT_EQ(image.pixel(Margin + 4 * 7 + 3, Margin + 3), qRgb(255, 255, 255));
    EXPECT_GE(pane.canvas()->minimumWidth(), 2 * Margin + 4 * 8);
}

TEST_F(PreviewPaneTest, EditsToTheFontShowAtOnce)
{
    ViewState state;
    state.currentCode = 'B';
    state.paintValue = 2;
    document.beginStroke(state);
    document.paint(state, 3, 1);
    document.endStroke();
    EXPECT_TRUE(white(canvas(), 3 + 1)) << "the painted pixel of 'B'";

    Font wider = abFont();
    wider.glyphs[0].resize(6, 6);
    document.takeImportedFont(wider);
    EXPECT_FALSE(white(canvas(), 7)) << "'B' moved right with the wider 'A'";
    EXPECT_TRUE(white(canvas(), 10));
}

TEST_F(PreviewPaneTest, ACodeTheFontLacksIsAVisiblePlaceholder)
{
    pane.textEdit()->setText(QStringLiteral("A\u20acB"));
    ASSERT_EQ(pane.canvas()->codes(), (QList<int>{'A', 0x20AC, 'B'}));
    const QImage image = canvas();
    const QRgb box = PreviewColors::Placeholder.rgb();
    EXPECT_EQ(image.pixel(Margin + 3, Margin), box) << "the box's top-left corner";
    EXPECT_EQ(image.pixel(Margin + 3, Margin + 5), box);
    // The box is half the height (3) wide; 'B' follows it.
    EXPECT_TRUE(white(image, 3 + 3 + 4));
}

namespace {

class TypefaceDialogTest : public ::testing::Test, protected UserAnswers
{
protected:
    void SetUp() override
    {
        dialog.sourceBox()->setCurrentText(QStringLiteral("DejaVu Sans"));
        dialog.refreshPreview();
    }

    TypefaceDialog dialog;
};

int glyphWidth(const Font &font, int code)
{
    return font.glyphs[std::size_t(code - font.header.first)].width;
}

} // namespace

TEST_F(TypefaceDialogTest, TheSampleFollowsTheSettings)
{
    dialog.sampleEdit()->setText(QStringLiteral("lMg"));
    dialog.refreshPreview();
    const Font shown = dialog.previewFont();
    EXPECT_EQ(shown.header.height, 14);
    EXPECT_EQ(dialog.nameEdit()->text(), "DejaVu Sans");
    EXPECT_GT(glyphWidth(shown, 'M'), glyphWidth(shown, 'l'));
    EXPECT_EQ(dialog.statusLabel()->text(), "DejaVu Sans: Height 14, Ascent 10, 2BPP");

    dialog.heightField()->setText(QStringLiteral("28"));
    dialog.oneBpp()->setChecked(true);
    dialog.refreshPreview();
    EXPECT_EQ(dialog.previewFont().header.height, 28);
    EXPECT_EQ(dialog.previewFont().header.ldepth, 0);
    EXPECT_GT(glyphWidth(dialog.previewFont(), 'M'), glyphWidth(shown, 'M'))
        << "taller letters are wider";
    EXPECT_TRUE(dialog.statusLabel()->text().endsWith("1BPP"));
    EXPECT_FALSE(dialog.blackField()->isEnabled()) << "one threshold in 1BPP";
}

TEST_F(TypefaceDialogTest, TheSampleRefreshesByItselfAfterAChange)
{
    dialog.heightField()->setText(QStringLiteral("20"));
    EXPECT_TRUE(QTest::qWaitFor([this] { return dialog.previewFont().header.height == 20; }, 2000));
}

TEST_F(TypefaceDialogTest, CodesOutsideTheRangeShowAsPlaceholders)
{
    dialog.sampleEdit()->setText(QStringLiteral("09AZ"));
    dialog.firstField()->setText(QStringLiteral("48"));
    dialog.countField()->setText(QStringLiteral("10")); // the digits only
    dialog.refreshPreview();
    const TextLine line = setTextLine(dialog.previewFont(), dialog.preview()->codes());
    ASSERT_EQ(line.glyphs.size(), 4u);
    EXPECT_NE(line.glyphs[0], nullptr);
    EXPECT_NE(line.glyphs[1], nullptr);
    EXPECT_EQ(line.glyphs[2], nullptr);
    EXPECT_EQ(line.glyphs[3], nullptr);
    dialog.allBox()->setChecked(true);
    dialog.refreshPreview();
    EXPECT_FALSE(dialog.countField()->isEnabled());
    EXPECT_NE(setTextLine(dialog.previewFont(), dialog.preview()->codes()).glyphs[3], nullptr);
}

TEST_F(TypefaceDialogTest, BadSettingsAreShownAndRefusedOnOk)
{
    dialog.heightField()->setText(QStringLiteral("300"));
    dialog.refreshPreview();
    EXPECT_EQ(dialog.statusLabel()->text(), "Please enter an integer between 1 and 255.");
    EXPECT_EQ(dialog.previewFont().header.height, 0) << "nothing drawn";
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(messages, QStringList{"Please enter an integer between 1 and 255."});

    dialog.heightField()->setText(QStringLiteral("x"));
    dialog.accept();
    EXPECT_EQ(messages.last(), "Please enter an integer.");

    dialog.heightField()->setText(QStringLiteral("16"));
    dialog.sourceBox()->setCurrentText(QStringLiteral("Nowhere Sans"));
    dialog.accept();
    EXPECT_EQ(messages.last(), "No font file or installed typeface is called \"Nowhere Sans\"");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    dialog.sourceBox()->setCurrentText(QStringLiteral("DejaVu Sans Mono"));
    dialog.nameEdit()->setText(QStringLiteral("mono"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.choice().height, 16);
    EXPECT_EQ(dialog.choice().name, "mono");
    EXPECT_EQ(dialog.typeface().family(), "DejaVu Sans Mono");
}

TEST_F(TypefaceDialogTest, TheNameFollowsTheTypefaceUntilItIsTyped)
{
    dialog.sourceBox()->setCurrentText(QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(dialog.nameEdit()->text(), "DejaVu Seri");
    dialog.nameEdit()->selectAll();
    QTest::keyClicks(dialog.nameEdit(), QStringLiteral("serif"));
    dialog.sourceBox()->setCurrentText(QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(dialog.nameEdit()->text(), "serif");
}
