// File > Import Image in the main window: the save prompt, the file chooser, the
// refusals, the threshold dialog's OK and Cancel, and the document afterwards.

#include "app/filecontroller.h"
#include "app/mainactions.h"
#include "app/mainwindow.h"
#include "editor/editorview.h"
#include "editor/thresholddialog.h"
#include "namedcase.h"
#include "pictures.h"
#include "qtprinters.h"
#include "testapplication.h"
#include "useranswers.h"
#include "widgets/messages.h"

#include "libkernwick/font/document.h"
#include "libkernwick/font/zvffile.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>

KERNWICK_TEST_APPLICATION(QApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

struct Shown
{
    QString caption;
    QString text;
    bool operator==(const Shown &) const = default;
};

void PrintTo(const Shown &box, std::ostream *os)
{
    *os << box.caption.toStdString() << ": " << box.text.toStdString();
}

class ImportImageTest : public ::testing::Test, protected UserAnswers
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        onDialog = [this](QDialog &dialog) {
            auto *threshold = qobject_cast<ThresholdDialog *>(&dialog);
            if (!threshold || !user)
                return int(QDialog::Rejected);
            return user(*threshold);
        };
        window = std::make_unique<MainWindow>(PortTable::fromDevices({}));
    }
    void TearDown() override { window.reset(); }

    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    // A font file opened and then edited, so a replaced font, a lost title or a
    // cleared modified flag all show.
    void openAndEdit()
    {
        QString error;
        Font font = defaultFont();
        ASSERT_TRUE(saveZvfFile(dir.filePath("work.zvf"), font, &error));
        ASSERT_TRUE(window->files().openPath(dir.filePath("work.zvf")));
        window->actions().action(EditOperation::InsertRow)->trigger();
        ASSERT_TRUE(document().isModified());
    }
    void expectUntouched(const Font &before)
    {
        EXPECT_EQ(document().font(), before);
        EXPECT_TRUE(document().isModified());
        EXPECT_EQ(document().title(), "work.zvf");
        EXPECT_EQ(document().filePath(), dir.filePath("work.zvf"));
        EXPECT_EQ(window->windowTitle(), "work.zvf[*] - ZUVO Kernwick");
    }
    void importImage(const QString &path)
    {
        files.push_back({path});
        window->actions().importImage->trigger();
    }
    Shown shown(std::size_t i) const { return {boxes.at(i).caption, boxes.at(i).text}; }
    Document &document() { return window->document(); }
    const Glyph &glyph() { return document().font().glyphs.at(0); }

    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window;
    std::function<int(ThresholdDialog &)> user;
};

TEST_F(ImportImageTest, TheCommandIsEnabledAndOffersTheGraphicFiles)
{
    EXPECT_TRUE(window->actions().importImage->isEnabled());
    window->actions().importImage->trigger();
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].kind, FileRequest::Kind::Open);
    EXPECT_TRUE(fileRequests[0].filter.startsWith(
        "Graphic files (*.tif *.tiff *.ttf *.bmp *.jpeg *.jpg *.ico *.jpg *.jif *.jfif *.koa "
        "*.koala *.pcd *.pcx *.png *.pbm *.pgm *.ppm *.ras *.targa *.tga)"))
        << fileRequests[0].filter.toStdString();
    EXPECT_TRUE(fileRequests[0].filter.endsWith(";;All files (*)"));
    EXPECT_EQ(dialogs, 0) << "cancelled at the chooser";
    EXPECT_EQ(document().font(), defaultFont());
}

struct ChoiceCase : NamedCase
{
    bool threeColour;
    int black;
    int white;
    bool invert;
    std::uint8_t ldepth;
    std::function<std::uint8_t(int level)> value; ///< the glyph pixel of a ramp level
};

class ImportImageChoices : public ImportImageTest, public ::testing::WithParamInterface<ChoiceCase>
{
};

TEST_P(ImportImageChoices, OkImportsTheRampWithTheChosenThresholds)
{
    const ChoiceCase &c = GetParam();
    user = [&c](ThresholdDialog &dialog) {
        (c.threeColour ? dialog.threeColourButton() : dialog.twoColourButton())->click();
        dialog.blackSlider()->setValue(c.black);
        dialog.whiteSlider()->setValue(c.white);
        if (c.invert)
            dialog.invertButton()->click();
        dialog.accept();
        return dialog.result();
    };
    importImage(write("ramp.png", encodeGreyPicture(16, 16, rampLevel, PictureKind::GreyPng)));
    EXPECT_EQ(dialogs, 1);
    const Font &font = document().font();
    ASSERT_EQ(font.glyphs.size(), 1u);
    EXPECT_EQ(font.chars(), 1);
    EXPECT_EQ(font.header.first, 32);
    EXPECT_EQ(font.header.height, 16);
    EXPECT_EQ(font.header.ascent, 15);
    EXPECT_EQ(font.header.ldepth, c.ldepth);
    EXPECT_EQ(glyph().width, 16);
    for (int r = 0; r < 16; ++r)
        for (int col = 0; col < 16; ++col)
            ASSERT_EQ(glyph().pixel(r, col), c.value(rampLevel(r, col)))
                << "level " << int(rampLevel(r, col));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImportImageChoices,
    ::testing::Values(ChoiceCase{{"ThreeColourDefaults"},
                                 true,
                                 100,
                                 150,
                                 false,
                                 1,
                                 [](int v) {
                                     return std::uint8_t(v >= 150 ? 2 : v > 100 ? 1 : 0);
                                 }},
                      ChoiceCase{{"ThreeColourMoved"},
                                 true,
                                 30,
                                 200,
                                 false,
                                 1,
                                 [](int v) { return std::uint8_t(v >= 200 ? 2
                                                                 : v > 30 ? 1
                                                                          : 0); }},
                      ChoiceCase{{"TwoColour"},
                                 false,
                                 100,
                                 90,
                                 false,
                                 0,
                                 [](int v) { return std::uint8_t(v >= 90 ? 1 : 0); }},
                      ChoiceCase{{"TwoColourInverted"},
                                 false,
                                 100,
                                 150,
                                 true,
                                 0,
                                 [](int v) { return std::uint8_t(255 - v >= 150 ? 1 : 0); }}),
    CaseName());

TEST_F(ImportImageTest, TheImportedFontHasNoFileAndIsModified)
{
    openAndEdit();
    window->view().selectGlyph(40);
    answers = {MessageAnswer::No};
    user = [](ThresholdDialog &dialog) {
        dialog.accept();
        return dialog.result();
    };
    importImage(write("ramp.bmp", encodeGreyPicture(16, 16, rampLevel, PictureKind::RgbBmp)));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Save changes to work.zvf?") << "the edited font was offered";
    EXPECT_EQ(document().font().chars(), 1);
    EXPECT_TRUE(document().filePath().isEmpty());
    EXPECT_EQ(document().title(), "Untitled");
    EXPECT_TRUE(document().isModified()) << "closing it unasked would lose it";
    EXPECT_FALSE(document().canUndo());
    EXPECT_EQ(window->windowTitle(), "Untitled[*] - ZUVO Kernwick");
    EXPECT_EQ(window->view().state().currentCode, 32);
    EXPECT_EQ(window->view().state().paintValue, 2) << "white in the 2BPP font";

    // Save asks for a name instead of writing to a file called " " or over work.zvf.
    const QByteArray work = [this] {
        QFile f(dir.filePath("work.zvf"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    fileRequests.clear();
    window->actions().save->trigger();
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].kind, FileRequest::Kind::Save);
    EXPECT_EQ(fileRequests[0].suggestion,
              QString::fromLatin1(document().font().nameText()) + ".zvf")
        << "the font's name, not Untitled.zvf";
    QFile f(dir.filePath("work.zvf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), work);
}

TEST_F(ImportImageTest, TheNextImportOpensOnTheThresholdsLastAccepted)
{
    const QString ramp =
        write("ramp.png", encodeGreyPicture(16, 16, rampLevel, PictureKind::GreyPng));
    ThresholdChoice seen;
    user = [&seen](ThresholdDialog &dialog) {
        seen = dialog.choice();
        dialog.twoColourButton()->click();
        dialog.whiteSlider()->setValue(180);
        dialog.accept();
        return dialog.result();
    };
    importImage(ramp);
    EXPECT_EQ(seen.whiteThreshold, 150) << "the defaults the first time";
    answers = {MessageAnswer::No};
    user = [&seen](ThresholdDialog &dialog) {
        seen = dialog.choice();
        dialog.whiteSlider()->setValue(10);
        dialog.reject();
        return dialog.result();
    };
    importImage(ramp);
    EXPECT_EQ(seen.whiteThreshold, 180);
    EXPECT_FALSE(seen.threeColour);
    answers = {MessageAnswer::No};
    importImage(ramp);
    EXPECT_EQ(seen.whiteThreshold, 180) << "a cancelled dialog's thresholds are not kept";
    EXPECT_EQ(dialogs, 3);
}

TEST_F(ImportImageTest, CancelInTheThresholdDialogLeavesTheDocumentAsItWas)
{
    openAndEdit();
    const Font before = document().font();
    answers = {MessageAnswer::No};
    user = [](ThresholdDialog &dialog) {
        dialog.twoColourButton()->click();
        dialog.invertButton()->click();
        dialog.reject();
        return dialog.result();
    };
    importImage(write("ramp.tif", encodeGreyPicture(16, 16, rampLevel, PictureKind::GreyTiff)));
    EXPECT_EQ(dialogs, 1);
    expectUntouched(before);
    EXPECT_TRUE(document().canUndo()) << "the edit can still be undone";
}

TEST_F(ImportImageTest, CancelAtTheSavePromptStopsBeforeTheFileChooser)
{
    openAndEdit();
    const Font before = document().font();
    answers = {MessageAnswer::Cancel};
    importImage(write("ramp.png", encodeGreyPicture(16, 16, rampLevel, PictureKind::GreyPng)));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(shown(0), (Shown{"ZUVO Kernwick", "Save changes to work.zvf?"}));
    EXPECT_TRUE(fileRequests.empty());
    EXPECT_EQ(dialogs, 0);
    expectUntouched(before);
}

struct RefusalCase : NamedCase
{
    std::function<QByteArray()> bytes;
    const char *text;
};

class ImportImageRefusals : public ImportImageTest,
                            public ::testing::WithParamInterface<RefusalCase>
{
};

TEST_P(ImportImageRefusals, ShowTheirMessageAndChangeNothing)
{
    openAndEdit();
    const Font before = document().font();
    answers = {MessageAnswer::No};
    importImage(write("picture.png", GetParam().bytes()));
    EXPECT_EQ(dialogs, 0);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(shown(1), (Shown{"File Error", QString::fromLatin1(GetParam().text)}));
    expectUntouched(before);
}

QByteArray greyOfSize(int width, int height)
{
    return encodeGreyPicture(width, height, rampLevel, PictureKind::GreyPng);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImportImageRefusals,
    ::testing::Values(
        RefusalCase{{"Wide256"},
                    [] { return greyOfSize(256, 4); },
                    "Image exceeds maximum width of 255 pixels"},
        RefusalCase{{"High256"},
                    [] { return greyOfSize(4, 256); },
                    "Image exceeds maximum height of 255 pixels"},
        RefusalCase{{"TextFile"}, [] { return QByteArray("not a picture\n"); }, "OOPS!"},
        RefusalCase{{"EmptyFile"}, [] { return QByteArray(); }, "OOPS!"},
        RefusalCase{{"TruncatedPng"}, [] { return greyOfSize(40, 40).left(60); }, "OOPS!"}),
    CaseName());

TEST_F(ImportImageTest, ABilevelPictureImportsWithoutTheDialog)
{
    // White at palette index 0: the brighter colour is white whatever its index.
    const auto bright = [](int r, int c) { return r == 0 || c == 2; };
    importImage(write("bits.bmp", encodeBilevelPicture(5, 3, bright, 0, "bmp")));
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(boxes.empty());
    const Font &font = document().font();
    EXPECT_EQ(font.header.ldepth, 0);
    EXPECT_EQ(font.header.height, 3);
    EXPECT_EQ(glyph().width, 5);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c)
            EXPECT_EQ(glyph().pixel(r, c), bright(r, c) ? 1 : 0) << r << "," << c;
    EXPECT_TRUE(document().isModified());
}

TEST_F(ImportImageTest, ThePictureKeepsItsTopRowInRowZeroUpTo255Square)
{
    user = [](ThresholdDialog &dialog) {
        dialog.accept();
        return dialog.result();
    };
    const auto level = [](int r, int c) { return std::uint8_t(r == 0 && c < 3 ? 255 : 0); };
    importImage(write("big.png", encodeGreyPicture(255, 255, level, PictureKind::GreyPng)));
    ASSERT_EQ(document().font().header.height, 255);
    EXPECT_EQ(glyph().width, 255);
    EXPECT_EQ(glyph().pixel(0, 2), 2);
    EXPECT_EQ(glyph().pixel(0, 3), 0);
    EXPECT_EQ(glyph().pixel(254, 0), 0) << "not mirrored";
}

} // namespace
