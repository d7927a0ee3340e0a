// Typefaces rendered into fonts, checked on DejaVu Sans and DejaVu Sans Mono
// (Debian's fonts-dejavu-core).

#include "namedcase.h"
#include "testapplication.h"

#include "libkernwick/font/newfont.h"
#include "libkernwick/render/typefaceimport.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

KERNWICK_TEST_APPLICATION(QGuiApplication);

using namespace Kernwick;

namespace {

const QString SansFile = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
const QString Mono = QStringLiteral("DejaVu Sans Mono");
const QString Sans = QStringLiteral("DejaVu Sans");

Font import(const QString &source, const TypefaceChoice &choice = {})
{
    Typeface typeface;
    QString error;
    EXPECT_TRUE(Typeface::load(source, &typeface, &error)) << error.toStdString();
    Font font;
    EXPECT_TRUE(importTypeface(typeface, choice, &font, &error)) << error.toStdString();
    return font;
}

const Glyph &glyphFor(const Font &font, char character)
{
    return font.glyphs[std::size_t(int(character) - font.header.first)];
}

// The first and last rows holding any pixel that is not transparent; (-1, -1)
// for an empty glyph.
std::pair<int, int> inkRows(const Glyph &g)
{
    int top = -1;
    int bottom = -1;
    for (int r = 0; r < g.rowCount; ++r) {
        const bool ink = std::any_of(g.row(r), g.row(r) + g.width, [](auto p) { return p != 0; });
        if (ink) {
            top = top < 0 ? r : top;
            bottom = r;
        }
    }
    return {top, bottom};
}

bool holds(const Font &font, std::uint8_t value)
{
    return std::any_of(font.glyphs.begin(), font.glyphs.end(), [value](const Glyph &g) {
        return std::find(g.pixels.begin(), g.pixels.end(), value) != g.pixels.end();
    });
}

} // namespace

TEST(TypefaceImport, DejaVuSansMonoAt14PixelsGivesTheAsciiCodes)
{
    TypefaceChoice choice;
    choice.height = 14;
    choice.first = 32;
    choice.count = 95;
    const Font font = import(Mono, choice);
    EXPECT_EQ(font.chars(), 95);
    EXPECT_EQ(font.header.first, 32);
    EXPECT_EQ(font.header.height, 14);
    EXPECT_EQ(font.header.ascent, 10) << "the ascent and descent fill the 14 rows";
    EXPECT_EQ(font.header.ldepth, 1);
    EXPECT_EQ(font.nameText(), "DejaVu Sans") << "the family's name, cut to 11 characters";
    EXPECT_EQ(font.header.skip, 0u);
    for (const Glyph &g : font.glyphs) {
        EXPECT_EQ(g.width, glyphFor(font, 'M').width) << "a fixed-pitch face";
        EXPECT_EQ(g.rowCount, 14);
        EXPECT_EQ(g.left, 0);
    }
    EXPECT_GT(glyphFor(font, 'M').width, 0);
    EXPECT_EQ(font.header.fileSize, [&] {
        Font sized = font;
        sized.computeFileSize();
        return sized.header.fileSize;
    }());
}

TEST(TypefaceImport, AProportionalFaceGivesEachCharacterItsAdvance)
{
    const Font font = import(Sans);
    EXPECT_GT(glyphFor(font, 'M').width, 0);
    EXPECT_LT(glyphFor(font, 'i').width, glyphFor(font, 'M').width);
    EXPECT_LT(glyphFor(font, '.').width, glyphFor(font, 'W').width);
    EXPECT_GT(glyphFor(font, ' ').width, 0) << "a space is blank but takes its room";
    EXPECT_EQ(inkRows(glyphFor(font, ' ')), std::pair(-1, -1));
}

TEST(TypefaceImport, LettersSitOnTheBaselineAndDescendersGoBelowIt)
{
    for (const QString &source : {Mono, Sans}) {
        const Font font = import(source);
        const auto [lTop, lBottom] = inkRows(glyphFor(font, 'l'));
        EXPECT_EQ(lBottom, font.header.ascent) << "'l' stands on the baseline";
        EXPECT_LE(lTop, 1) << "and reaches near the top of the cell";
        const auto [gTop, gBottom] = inkRows(glyphFor(font, 'g'));
        EXPECT_GT(gBottom, font.header.ascent) << "'g' reaches below the baseline";
        EXPECT_GT(gTop, lTop);
        EXPECT_EQ(inkRows(glyphFor(font, 'M')).second, font.header.ascent);
    }
}

TEST(TypefaceImport, TwoBitsHoldHalftoneOneBitNone)
{
    TypefaceChoice choice;
    const Font twoBits = import(Sans, choice);
    EXPECT_TRUE(holds(twoBits, 1)) << "anti-aliased edges become halftone";
    EXPECT_TRUE(holds(twoBits, 2));
    EXPECT_FALSE(holds(twoBits, 3));

    choice.threshold.threeColour = false;
    const Font oneBit = import(Sans, choice);
    EXPECT_EQ(oneBit.header.ldepth, 0);
    EXPECT_TRUE(holds(oneBit, 1));
    EXPECT_FALSE(holds(oneBit, 2));
    EXPECT_FALSE(holds(oneBit, 3));
}

TEST(TypefaceImport, WithoutAntiAliasingThereIsNoHalftoneAndTheThresholdsDoNotMatter)
{
    TypefaceChoice choice;
    choice.antialiased = false;
    const Font aliased = import(Sans, choice);
    EXPECT_FALSE(holds(aliased, 1));
    EXPECT_TRUE(holds(aliased, 2));
    choice.threshold.whiteThreshold = 0;
    choice.threshold.blackThreshold = 255;
    EXPECT_EQ(import(Sans, choice), aliased);
}

TEST(TypefaceImport, TheThresholdsDecideTheHalftone)
{
    TypefaceChoice choice;
    choice.threshold.blackThreshold = 255; // nothing lies above it
    const Font noHalftone = import(Sans, choice);
    EXPECT_FALSE(holds(noHalftone, 1));
    EXPECT_TRUE(holds(noHalftone, 2));
    choice.threshold.blackThreshold = 0;
    choice.threshold.whiteThreshold = 255;
    const Font mostlyHalftone = import(Sans, choice);
    const auto count = [](const Font &f, std::uint8_t v) {
        qint64 n = 0;
        for (const Glyph &g : f.glyphs)
            n += std::count(g.pixels.begin(), g.pixels.end(), v);
        return n;
    };
    EXPECT_GT(count(mostlyHalftone, 1), count(mostlyHalftone, 2));
}

TEST(TypefaceImport, ACharacterTheTypefaceLacksIsAZeroWidthGlyph)
{
    TypefaceChoice choice;
    choice.first = 0x4E00; // CJK ideographs: not in DejaVu Sans
    choice.count = 3;
    const Font font = import(Sans, choice);
    ASSERT_EQ(font.chars(), 3);
    for (const Glyph &g : font.glyphs) {
        EXPECT_EQ(g.width, 0);
        EXPECT_EQ(g.rowCount, font.header.height);
    }
    choice.first = 0xD7FF; // up to the surrogates, which are no characters
    choice.count = 2;
    const Font surrogate = import(Sans, choice);
    EXPECT_EQ(surrogate.glyphs[1].width, 0);
}

TEST(TypefaceImport, AFileAndTheInstalledFamilyGiveTheSameFont)
{
    EXPECT_EQ(import(SansFile), import(Sans));
    EXPECT_EQ(import(QStringLiteral("dejavu sans")), import(Sans)) << "any letter case";
}

TEST(TypefaceImport, AllCodesRunToTheTypefacesLastCharacter)
{
    Typeface typeface;
    QString error;
    ASSERT_TRUE(Typeface::load(Sans, &typeface, &error));
    const int last = lastTypefaceCode(typeface, 0xFF00);
    ASSERT_GT(last, 0xFF00);
    TypefaceChoice choice;
    choice.first = 0xFF00;
    choice.allCodes = true;
    Font font;
    ASSERT_TRUE(importTypeface(typeface, choice, &font, &error)) << error.toStdString();
    EXPECT_EQ(font.lastCode(), last);
    EXPECT_GT(font.glyphs.back().width, 0);

    choice.first = last + 1;
    font = defaultFont();
    EXPECT_FALSE(importTypeface(typeface, choice, &font, &error));
    EXPECT_EQ(error, QStringLiteral("The typeface has no character from code %1 on").arg(last + 1));
    EXPECT_EQ(font, defaultFont());
}

TEST(TypefaceImport, AFontTooLargeIsRefused)
{
    Typeface typeface;
    QString error;
    ASSERT_TRUE(Typeface::load(Sans, &typeface, &error));
    TypefaceChoice choice;
    choice.height = 255;
    choice.first = 0;
    choice.allCodes = true;
    Font font = defaultFont();
    EXPECT_FALSE(importTypeface(typeface, choice, &font, &error));
    EXPECT_EQ(error, "The font is too large to import");
    EXPECT_EQ(font, defaultFont());
}

namespace {

struct ChoiceCase : Test::NamedCase
{
    void (*change)(TypefaceChoice &);
    const char *message;
};

class RefusedChoice : public ::testing::TestWithParam<ChoiceCase>
{
};

} // namespace

TEST_P(RefusedChoice, SaysWhatIsWrong)
{
    TypefaceChoice choice;
    EXPECT_EQ(typefaceChoiceProblem(choice), "");
    GetParam().change(choice);
    EXPECT_EQ(typefaceChoiceProblem(choice).toStdString(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedChoice,
    ::testing::Values(ChoiceCase{"HeightZero", [](TypefaceChoice &c) { c.height = 0; },
                                 "Please enter an integer between 1 and 255."},
                      ChoiceCase{"Height256", [](TypefaceChoice &c) { c.height = 256; },
                                 "Please enter an integer between 1 and 255."},
                      ChoiceCase{"FirstPast65535", [](TypefaceChoice &c) { c.first = 65536; },
                                 "Please enter an integer between 0 and 65535."},
                      ChoiceCase{"CountZero", [](TypefaceChoice &c) { c.count = 0; },
                                 "Please enter an integer between 1 and 65535."},
                      ChoiceCase{"LastCodePast65535",
                                 [](TypefaceChoice &c) {
                                     c.first = 65500;
                                     c.count = 100;
                                 },
                                 LastCodeTooHigh},
                      ChoiceCase{"Threshold",
                                 [](TypefaceChoice &c) { c.threshold.whiteThreshold = 256; },
                                 "Please enter an integer between 0 and 255."},
                      ChoiceCase{"LongName",
                                 [](TypefaceChoice &c) { c.name = QStringLiteral("twelve chars"); },
                                 "Please enter no more than 11 characters."}),
    Test::CaseName());

TEST(TypefaceImport, SourcesThatAreNoTypefaceAreRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString text = dir.filePath(QStringLiteral("notes.ttf"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a font at all\n");
    file.close();

    Typeface typeface;
    QString error;
    EXPECT_FALSE(Typeface::load(QStringLiteral("No Such Family 42"), &typeface, &error));
    EXPECT_EQ(error, "No font file or installed typeface is called \"No Such Family 42\"");
    EXPECT_FALSE(Typeface::load(text, &typeface, &error));
    EXPECT_EQ(error, text + ": not a typeface Qt can load");
    EXPECT_FALSE(Typeface::load(dir.path(), &typeface, &error));
    EXPECT_EQ(error, dir.path() + ": not a font file");
    EXPECT_FALSE(typeface.isValid());
}

TEST(TypefaceImport, TheRendererDrawsSingleCharactersAsTheImportDoes)
{
    Typeface typeface;
    QString error;
    ASSERT_TRUE(Typeface::load(Sans, &typeface, &error));
    const TypefaceChoice choice;
    TypefaceRenderer renderer(typeface, choice);
    const Font font = import(Sans, choice);
    EXPECT_EQ(renderer.ascent(), font.header.ascent);
    EXPECT_EQ(renderer.glyph('g'), glyphFor(font, 'g'));
    EXPECT_TRUE(renderer.hasCharacter('A'));
    EXPECT_FALSE(renderer.hasCharacter(0x4E00));
    EXPECT_FALSE(renderer.hasCharacter(-1));
}
