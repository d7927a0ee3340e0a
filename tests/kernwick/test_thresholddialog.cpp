// The Threshold Image dialog: the modified picture follows the sliders, the
// colour choice and Invert Image; Save Modified Image writes what it shows.

#include "editor/thresholddialog.h"
#include "namedcase.h"
#include "qtprinters.h"
#include "testapplication.h"
#include "useranswers.h"
#include "widgets/messages.h"

#include "libkernwick/font/loadedimage.h"
#include "libkernwick/render/imagefile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

KERNWICK_TEST_APPLICATION(QApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

// The 16 × 16 ramp: every level 0 to 255 once.
std::uint8_t rampLevel(int row, int column)
{
    return std::uint8_t(16 * row + column);
}

GreyImage ramp()
{
    GreyImage image = GreyImage::filled(16, 16);
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c)
            image.setLevel(r, c, rampLevel(r, c));
    return image;
}

// The levels a picture label shows, one per picture pixel of a `side` × `side`
// picture shown at a whole number of screen pixels per pixel. A block of screen
// pixels that is not all one level (smoothing) shows as level 1, which no test
// picture has.
GreyImage shownLevels(const QLabel *label, int side = 16)
{
    const QImage image = label->pixmap().toImage();
    const int scale = image.width() / side;
    if (scale < 1 || image.width() != side * scale || image.height() != side * scale)
        return GreyImage::filled(image.width(), image.height());
    GreyImage levels = GreyImage::filled(side, side);
    for (int r = 0; r < side; ++r) {
        for (int c = 0; c < side; ++c) {
            const int level = qGray(image.pixel(c * scale, r * scale));
            bool whole = true;
            for (int y = 0; y < scale; ++y)
                for (int x = 0; x < scale; ++x)
                    whole = whole && qGray(image.pixel(c * scale + x, r * scale + y)) == level;
            levels.setLevel(r, c, std::uint8_t(whole ? level : 1));
        }
    }
    return levels;
}

// The ramp thresholded by hand: the level each source level must become.
GreyImage expectedRamp(const std::function<std::uint8_t(int level)> &rule)
{
    GreyImage image = GreyImage::filled(16, 16);
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c)
            image.setLevel(r, c, rule(rampLevel(r, c)));
    return image;
}

struct ControlCase : NamedCase
{
    std::function<void(ThresholdDialog &)> act;
    std::function<std::uint8_t(int level)> rule;
    bool invertsTheOriginal = false;
};

class ThresholdControls : public ::testing::TestWithParam<ControlCase>
{
};

TEST_P(ThresholdControls, TheModifiedPictureFollows)
{
    ThresholdDialog dialog(ramp());
    GetParam().act(dialog);
    const GreyImage expected = expectedRamp(GetParam().rule);
    EXPECT_EQ(dialog.modifiedImage(), expected);
    EXPECT_EQ(shownLevels(dialog.modifiedPicture()), expected) << "the picture on screen";
    const GreyImage original = GetParam().invertsTheOriginal
                                   ? expectedRamp([](int v) { return std::uint8_t(255 - v); })
                                   : ramp();
    EXPECT_EQ(dialog.sourceImage(), original);
}

void nothing(ThresholdDialog &)
{
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ThresholdControls,
    ::testing::Values(ControlCase{{"Opening"},
                                  nothing,
                                  [](int v) {
                                      return std::uint8_t(v >= 150 ? 255 : v > 100 ? 128 : 0);
                                  }},
                      ControlCase{{"WhiteSliderTo200"},
                                  [](ThresholdDialog &d) { d.whiteSlider()->setValue(200); },
                                  [](int v) {
                                      return std::uint8_t(v >= 200 ? 255 : v > 100 ? 128 : 0);
                                  }},
                      ControlCase{{"BlackSliderTo20"},
                                  [](ThresholdDialog &d) { d.blackSlider()->setValue(20); },
                                  [](int v) {
                                      return std::uint8_t(v >= 150 ? 255 : v > 20 ? 128 : 0);
                                  }},
                      ControlCase{{"KeyboardStepsTheWhiteSlider"},
                                  [](ThresholdDialog &d) {
                                      QTest::keyClick(d.whiteSlider(), Qt::Key_Right);
                                      QTest::keyClick(d.whiteSlider(), Qt::Key_Right);
                                  },
                                  [](int v) {
                                      return std::uint8_t(v >= 152 ? 255 : v > 100 ? 128 : 0);
                                  }},
                      ControlCase{{"TwoColours"},
                                  [](ThresholdDialog &d) { d.twoColourButton()->click(); },
                                  [](int v) { return std::uint8_t(v >= 150 ? 255 : 0); }},
                      ControlCase{{"TwoColoursWhiteAt0"},
                                  [](ThresholdDialog &d) {
                                      d.twoColourButton()->click();
                                      d.whiteSlider()->setValue(0);
                                  },
                                  [](int) { return std::uint8_t(255); }},
                      ControlCase{{"TwoColoursIgnoreTheBlackThreshold"},
                                  [](ThresholdDialog &d) {
                                      d.blackSlider()->setValue(10);
                                      d.twoColourButton()->click();
                                  },
                                  [](int v) { return std::uint8_t(v >= 150 ? 255 : 0); }},
                      ControlCase{{"BackToThreeColours"},
                                  [](ThresholdDialog &d) {
                                      d.twoColourButton()->click();
                                      d.blackSlider()->setValue(60);
                                      d.threeColourButton()->click();
                                  },
                                  [](int v) {
                                      return std::uint8_t(v >= 150 ? 255 : v > 60 ? 128 : 0);
                                  }},
                      ControlCase{{"BlackAboveWhiteLeavesNoHalftone"},
                                  [](ThresholdDialog &d) {
                                      d.blackSlider()->setValue(200);
                                      d.whiteSlider()->setValue(100);
                                  },
                                  [](int v) { return std::uint8_t(v >= 100 ? 255 : 0); }},
                      ControlCase{
                          {"Invert"},
                          [](ThresholdDialog &d) { d.invertButton()->click(); },
                          [](int v) {
                              const int inverted = 255 - v;
                              return std::uint8_t(inverted >= 150 ? 255 : inverted > 100 ? 128 : 0);
                          },
                          true}),
    CaseName());

TEST(ThresholdDialog, OpensWithItsControlsAndTheOriginalPicture)
{
    ThresholdDialog dialog(ramp());
    EXPECT_EQ(dialog.windowTitle(), "Threshold Image");
    EXPECT_EQ(dialog.blackSlider()->minimum(), 0);
    EXPECT_EQ(dialog.blackSlider()->maximum(), 255);
    EXPECT_EQ(dialog.whiteSlider()->maximum(), 255);
    EXPECT_EQ(dialog.blackSlider()->value(), 100);
    EXPECT_EQ(dialog.whiteSlider()->value(), 150);
    EXPECT_EQ(dialog.blackSlider()->tickPosition(), QSlider::NoTicks);
    EXPECT_EQ(dialog.blackValue()->text(), "100");
    EXPECT_EQ(dialog.whiteValue()->text(), "150");
    EXPECT_TRUE(dialog.threeColourButton()->isChecked());
    EXPECT_FALSE(dialog.twoColourButton()->isChecked());
    EXPECT_EQ(dialog.twoColourButton()->text(), "1 BPP 2 Color");
    EXPECT_EQ(dialog.threeColourButton()->text(), "2 BPP 3 Color");
    EXPECT_EQ(dialog.blackLabel()->text(), "Black Threshold");
    EXPECT_EQ(dialog.invertButton()->text(), "Invert Image");
    EXPECT_EQ(dialog.saveButton()->text(), "Save Modified Image");
    QStringList texts;
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        texts << label->text();
    EXPECT_TRUE(texts.contains("White Threshold"));
    EXPECT_TRUE(texts.contains("Black pixels in modified image will appear transparent in font"));
    EXPECT_EQ(dialog.pictureScale(), 15) << "16 pixels fill the 255-pixel frame";
    EXPECT_EQ(dialog.originalPicture()->pixmap().size(), QSize(240, 240));
    EXPECT_EQ(shownLevels(dialog.originalPicture()), ramp()) << "whole pixels, unsmoothed";
}

TEST(ThresholdDialog, PicturesFillTheFramesByWholePixelsOnly)
{
    const struct
    {
        int side;
        int scale;
    } cases[] = {{1, 255}, {100, 2}, {128, 1}, {255, 1}};
    for (const auto &c : cases) {
        const ThresholdDialog dialog(GreyImage::filled(c.side, c.side));
        EXPECT_EQ(dialog.pictureScale(), c.scale) << c.side;
        EXPECT_EQ(dialog.modifiedPicture()->pixmap().size(),
                  QSize(c.side * c.scale, c.side * c.scale))
            << c.side;
    }
}

TEST(ThresholdDialog, OpensOnTheChoiceItIsGiven)
{
    ThresholdChoice last;
    last.blackThreshold = 30;
    last.whiteThreshold = 220;
    last.threeColour = false;
    const ThresholdDialog dialog(ramp(), nullptr, last);
    EXPECT_EQ(dialog.blackSlider()->value(), 30);
    EXPECT_EQ(dialog.whiteSlider()->value(), 220);
    EXPECT_TRUE(dialog.twoColourButton()->isChecked());
    EXPECT_FALSE(dialog.blackSlider()->isEnabled());
    EXPECT_EQ(dialog.modifiedImage(), applyThreshold(ramp(), last));
}

TEST(ThresholdDialog, TwoColoursDisableTheBlackThresholdAndThreeEnableIt)
{
    ThresholdDialog dialog(ramp());
    EXPECT_TRUE(dialog.blackSlider()->isEnabled());
    dialog.twoColourButton()->click();
    EXPECT_FALSE(dialog.blackSlider()->isEnabled());
    EXPECT_FALSE(dialog.blackLabel()->isEnabled());
    EXPECT_FALSE(dialog.blackValue()->isEnabled());
    EXPECT_FALSE(dialog.threeColour());
    dialog.threeColourButton()->click();
    EXPECT_TRUE(dialog.blackSlider()->isEnabled());
    EXPECT_TRUE(dialog.blackLabel()->isEnabled());
    EXPECT_TRUE(dialog.threeColour());
}

TEST(ThresholdDialog, TheModifiedPictureFollowsASliderWhileItIsDragged)
{
    ThresholdDialog dialog(ramp());
    QSlider *white = dialog.whiteSlider();
    white->setSliderDown(true); // the pointer holds the handle
    white->setSliderPosition(50);
    EXPECT_EQ(shownLevels(dialog.modifiedPicture()).level(2, 9), 0) << "level 41: not yet white";
    white->setSliderPosition(30);
    EXPECT_EQ(shownLevels(dialog.modifiedPicture()).level(2, 9), 255) << "level 41: white";
    EXPECT_EQ(dialog.whiteValue()->text(), "30") << "the figure follows too";
    white->setSliderDown(false);
    EXPECT_EQ(dialog.choice().whiteThreshold, 30);
}

TEST(ThresholdDialog, InvertFlipsTheOriginalAndTwiceRestoresIt)
{
    ThresholdDialog dialog(ramp());
    dialog.invertButton()->click();
    const GreyImage inverted = expectedRamp([](int v) { return std::uint8_t(255 - v); });
    EXPECT_EQ(dialog.sourceImage(), inverted);
    EXPECT_EQ(shownLevels(dialog.originalPicture()), inverted);
    dialog.invertButton()->click();
    EXPECT_EQ(dialog.sourceImage(), ramp());
    EXPECT_EQ(shownLevels(dialog.originalPicture()), ramp());
}

class SaveModifiedImage : public ::testing::Test, protected UserAnswers
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    // Each box as "caption: text".
    QStringList shown() const
    {
        QStringList texts;
        for (const MessageRequest &box : boxes)
            texts << box.caption + ": " + box.text;
        return texts;
    }

    QTemporaryDir dir;
};

TEST_F(SaveModifiedImage, WritesTheModifiedPictureInTheFormatItsNameAsks)
{
    ThresholdDialog dialog(ramp());
    dialog.whiteSlider()->setValue(180);
    const QString chosen = dir.filePath("modified.bmp");
    files = {{chosen}};
    dialog.saveButton()->click();
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].kind, FileRequest::Kind::Save);
    EXPECT_EQ(fileRequests[0].defaultSuffix, "bmp");
    EXPECT_TRUE(fileRequests[0].confirmOverwrite);
    EXPECT_TRUE(boxes.empty()) << shown().join(' ').toStdString();
    LoadedImage back;
    QString error;
    ASSERT_EQ(loadImageFile(chosen, &back, &error), ImageLoad::Ok) << error.toStdString();
    EXPECT_EQ(back.image, dialog.modifiedImage());
    EXPECT_EQ(back.image.level(11, 4), 255) << "level 180 reaches the white threshold";
    EXPECT_EQ(back.image.level(11, 3), 128) << "level 179 stays halftone";
}

TEST_F(SaveModifiedImage, AFormatThatCannotBeWrittenIsReportedAndCancelWritesNothing)
{
    ThresholdDialog dialog(ramp());
    const QString chosen = dir.filePath("modified.unknown");
    files = {{chosen}};
    dialog.saveButton()->click();
    EXPECT_EQ(shown(), QStringList{"File Error: Cannot write a picture of this type"});
    EXPECT_FALSE(QFile::exists(chosen));

    boxes.clear();
    dialog.saveButton()->click(); // cancelled: the queue is empty
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

} // namespace
