#include "libkernwick/font/newfont.h"

#include <gtest/gtest.h>

using namespace Kernwick;

TEST(NewFont, DialogChecksInItsOrder)
{
    struct Case
    {
        const char *what;
        NewFontInput input;
        const char *message;
    };
    auto with = [](auto change) {
        NewFontInput in;
        change(in);
        return in;
    };
    const Case cases[] = {
        {"ascent equal to height", with([](auto &i) { i.ascent = "14"; }),
         "Error! Ascent must be less than Height"},
        {"chars 0", with([](auto &i) { i.chars = "0"; }),
         "Please enter an integer between 1 and 65535."},
        {"chars not a number", with([](auto &i) { i.chars = "x"; }), "Please enter an integer."},
        {"chars before name", with([](auto &i) {
             i.chars = "70000";
             i.name = "twelve chars";
         }),
         "Please enter an integer between 1 and 65535."},
        {"12-character name", with([](auto &i) { i.name = "twelve chars"; }),
         "Please enter no more than 11 characters."},
        {"height 0", with([](auto &i) {
             i.height = "0";
             i.ascent = "-1";
         }),
         "Please enter an integer between 1 and 255."},
        {"height 256", with([](auto &i) { i.height = "256"; }),
         "Please enter an integer between 0 and 255."},
        {"width 0", with([](auto &i) { i.width = "0"; }),
         "Please enter an integer between 1 and 255."},
        {"first 0", with([](auto &i) { i.first = "0"; }),
         "Please enter an integer between 1 and 65535."},
        {"ascent not a number", with([](auto &i) { i.ascent = "-"; }),
         "Please enter an integer between 0 and 255."},
    };
    for (const Case &c : cases) {
        NewFontSpec spec;
        QString message;
        EXPECT_FALSE(checkNewFontInput(c.input, &spec, &message)) << c.what;
        EXPECT_EQ(message.toStdString(), c.message) << c.what;
    }
}

TEST(NewFont, MakesTheChosenFont)
{
    NewFontInput input;
    input.name = "eleven char";
    input.depth = 1;
    input.ascent = "13";
    input.chars = "3";
    input.first = "65";
    input.width = "5";
    NewFontSpec spec;
    QString message;
    ASSERT_TRUE(checkNewFontInput(input, &spec, &message)) << message.toStdString();
    const Font f = makeNewFont(spec);
    EXPECT_EQ(f.nameText(), "eleven char");
    EXPECT_EQ(f.header.ldepth, 1);
    EXPECT_EQ(f.chars(), 3);
    EXPECT_EQ(f.header.first, 65);
    EXPECT_EQ(f.header.ascent, 13);
    for (const Glyph &g : f.glyphs) {
        EXPECT_EQ(g.width, 5);
        EXPECT_EQ(g.rowCount, 14);
        EXPECT_EQ(g.pixels, std::vector<std::uint8_t>(70, 0));
    }
    // 15 pixels * 2 bits = 4 bytes per row; 14 rows = 56 -> 64; table 24 -> 32.
    EXPECT_EQ(f.header.fileSize, 32 + 32 + 64);
}
