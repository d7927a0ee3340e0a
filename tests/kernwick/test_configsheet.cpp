// The configuration editor: its pages, how values move between them and the
// configuration, and its files.

#include "config/configcontroller.h"
#include "config/configpagewidget.h"
#include "config/configsheet.h"
#include "qtprinters.h"
#include "testapplication.h"
#include "useranswers.h"
#include "widgets/messages.h"
#include "widgets/spinfield.h"

#include "libkernwick/config/configfile.h"
#include "libkernwick/config/configstream.h"
#include "libkernwick/config/wireform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

KERNWICK_TEST_APPLICATION(QApplication);

using namespace Kernwick;
using Kernwick::Test::UserAnswers;

namespace {

// The pages by their tab positions.
enum Page
{
    ModePage,
    DisplayPage,
    DisplaySizePage,
    AuxOutputPage,
    BlinkPage,
    CommPage
};

class ConfigSheetTest : public ::testing::Test, protected UserAnswers
{
protected:
    void SetUp() override { sheet.show(); }
    ConfigPageWidget *page(Page p) { return sheet.page(p); }
    void showPage(Page p) { sheet.tabs()->setCurrentIndex(p); }
    QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    ConfigSheet sheet{DeviceConfig()};
};

} // namespace

TEST_F(ConfigSheetTest, TheFreshModePageShowsTheDefaults)
{
    EXPECT_EQ(sheet.windowTitle(), "ZUVO Configuration Editor");
    QStringList tabs;
    for (int i = 0; i < sheet.tabs()->count(); ++i)
        tabs << sheet.tabs()->tabText(i);
    EXPECT_EQ(tabs, (QStringList{"&Mode", "&Display", "Display Size", "Auxillary Output", "Blink",
                                 "Comm"}));
    EXPECT_EQ(sheet.tabs()->currentIndex(), ModePage);
    for (const int checked : {9, 19, 28})
        EXPECT_TRUE(page(ModePage)->checkbox(checked)->isChecked()) << checked;
    EXPECT_FALSE(page(ModePage)->checkbox(10)->isChecked());
    EXPECT_TRUE(page(ModePage)->radio(16, 0)->isChecked());
    EXPECT_EQ(page(ModePage)->radio(16, 0)->text(), "NTSC");
    EXPECT_TRUE(page(ModePage)->radio(17, 0)->isChecked());
    EXPECT_EQ(page(ModePage)->radio(18, 2)->text(), "Auto");
    EXPECT_TRUE(page(ModePage)->radio(18, 2)->isChecked());
    EXPECT_EQ(page(ModePage)->radio(11, 0)->text(), "0 - <CR>=<CR>  /  <LF>=<LF>");
    EXPECT_TRUE(page(ModePage)->radio(11, 0)->isChecked());
    EXPECT_EQ(page(CommPage)->field(40)->text(), "9600") << "no thousands separator";
    const QStringList buttons{sheet.loadButton()->text(), sheet.saveButton()->text(),
                              sheet.downloadButton()->text(), sheet.cancelButton()->text()};
    EXPECT_EQ(buttons, (QStringList{"Load File", "Save File", "Download", "Cancel"}));
    EXPECT_TRUE(sheet.saveButton()->isEnabled());
    const int y = sheet.loadButton()->y();
    for (QPushButton *b : {sheet.saveButton(), sheet.downloadButton(), sheet.cancelButton()})
        EXPECT_EQ(b->y(), y) << "one row";
}

TEST_F(ConfigSheetTest, DownloadOnTheCommPageTakesTheParityClickedThere)
{
    showPage(CommPage);
    QTest::mouseClick(page(CommPage)->commButton(1, 1), Qt::LeftButton); // "Odd"
    QTest::mouseClick(page(CommPage)->commButton(0, 1), Qt::LeftButton); // "7 "
    QTest::mouseClick(page(CommPage)->echoBox(), Qt::LeftButton);
    sheet.downloadButton()->click();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    const CommParams comm = CommParams::unpack(sheet.config().commParams);
    EXPECT_EQ(comm.parity, CommParams::Odd);
    EXPECT_EQ(comm.sevenDataBits, 1);
    EXPECT_EQ(comm.echo, 1);
    EXPECT_EQ(sheet.config().commParams, 1 + 8 + 64);
}

TEST_F(ConfigSheetTest, SaveFileOnTheBlinkPageStoresTheTypedValueAndStaysThere)
{
    showPage(BlinkPage);
    page(BlinkPage)->field(33)->setText(QStringLiteral("20"));
    page(BlinkPage)->field(34)->setText(QStringLiteral("500")); // beyond the arrows: taken as typed
    const QString nextFile = dir.filePath(QStringLiteral("blink.zvc"));
    files = {{nextFile}};
    sheet.saveButton()->click();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    EXPECT_EQ(sheet.tabs()->currentIndex(), BlinkPage);
    const QByteArray file = read(nextFile);
    EXPECT_TRUE(file.contains("\x1b[33;20v"));
    EXPECT_TRUE(file.contains("\x1b[34;500v"));
    EXPECT_EQ(file.size(), 306 + 1) << "only 50 -> 500 is one byte longer";
}

TEST_F(ConfigSheetTest, LettersInANumberFieldKeepThePage)
{
    showPage(DisplaySizePage);
    page(DisplaySizePage)->field(24)->setText(QStringLiteral("left"));
    showPage(BlinkPage);
    EXPECT_EQ(messages, QStringList{"Please enter an integer."});
    EXPECT_EQ(sheet.tabs()->currentIndex(), DisplaySizePage);
    sheet.downloadButton()->click();
    EXPECT_NE(sheet.result(), QDialog::Accepted);
    page(DisplaySizePage)->field(24)->setText(QStringLiteral("-20"));
    showPage(BlinkPage);
    EXPECT_EQ(sheet.tabs()->currentIndex(), BlinkPage);
    EXPECT_EQ(sheet.config().horizontalStart, -20);
}

TEST_F(ConfigSheetTest, InsertionRatesThatWouldOverflowAreRefused)
{
    showPage(DisplayPage);
    page(DisplayPage)->field(30)->setText(QStringLiteral("2147484"));
    sheet.downloadButton()->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "Please enter an integer between -2147483 and 2147483.");
    EXPECT_NE(sheet.result(), QDialog::Accepted);
}

TEST_F(ConfigSheetTest, LoadFileRefreshesThePageOnScreen)
{
    DeviceConfig loaded;
    loaded.localHorizOffset = 77;
    loaded.ntscInsertionRate = 55;
    loaded.videoSource = 0;
    loaded.spi2 = 2;
    const QString nextFile = dir.filePath(QStringLiteral("in.zvc"));
    files = {{nextFile}};
    QString error;
    ASSERT_TRUE(saveConfigFile(nextFile, loaded, &error));
    showPage(DisplayPage);
    sheet.loadButton()->click();
    EXPECT_EQ(page(DisplayPage)->field(29)->text(), "77");
    EXPECT_EQ(page(DisplayPage)->field(30)->text(), "55");
    EXPECT_TRUE(page(ModePage)->radio(18, 0)->isChecked());
    EXPECT_EQ(page(CommPage)->radio(58, 2)->text(), "10-QOM Present");
    EXPECT_TRUE(page(CommPage)->radio(58, 2)->isChecked());
    sheet.downloadButton()->click();
    EXPECT_EQ(sheet.config(), loaded);
}

TEST_F(ConfigSheetTest, AFileThatCannotBeReadShowsTheSystemTextAndChangesNothing)
{
    files = {{dir.filePath(QStringLiteral("missing.zvc"))}};
    sheet.loadButton()->click();
    ASSERT_EQ(boxes.size(), 1u);
    // A file error's box shows the system's text, as its body or as its caption.
    EXPECT_FALSE(boxes[0].text.isEmpty() && boxes[0].caption.isEmpty());
    sheet.downloadButton()->click();
    EXPECT_EQ(sheet.config(), DeviceConfig());
}

TEST_F(ConfigSheetTest, ARadioValueMatchingNoButtonSelectsNone)
{
    DeviceConfig odd;
    odd.spi2 = 7;
    ConfigSheet strange(odd);
    EXPECT_FALSE(strange.page(CommPage)->radio(58, 0)->isChecked());
    EXPECT_FALSE(strange.page(CommPage)->radio(58, 1)->isChecked());
    EXPECT_FALSE(strange.page(CommPage)->radio(58, 2)->isChecked());
    strange.accept();
    EXPECT_EQ(strange.config().spi2, 7) << "kept as it was";
}

TEST(ConfigController, CancelKeepsTheFormerValuesAndDownloadMakesThemCurrent)
{
    QWidget window;
    ConfigController controller(&window);
    QList<DeviceConfig> sent;
    QObject::connect(&controller, &ConfigController::downloadRequested,
                     [&sent](const DeviceConfig &config) { sent.append(config); });
    bool accept = false;
    setDialogInterceptor([&accept](QDialog &dialog) {
        auto &sheet = static_cast<ConfigSheet &>(dialog);
        sheet.tabs()->setCurrentIndex(BlinkPage);
        sheet.page(BlinkPage)->field(33)->setText(QStringLiteral("42"));
        sheet.tabs()->setCurrentIndex(CommPage);
        if (accept)
            sheet.accept();
        else
            sheet.reject();
        return sheet.result();
    });
    controller.openEditor();
    EXPECT_EQ(controller.current(), DeviceConfig());
    EXPECT_TRUE(sent.isEmpty());
    accept = true;
    controller.openEditor();
    setDialogInterceptor({});
    EXPECT_EQ(controller.current().blinkPeriod, 42);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0], controller.current());
}

// The note beside Download names each setting that changes the line, as the values
// on screen stand, and goes when they match the line again.
TEST_F(ConfigSheetTest, ANoteBesideDownloadSaysWhenTheLineChanges)
{
    EXPECT_TRUE(sheet.lineNote()->isHidden()) << "the defaults keep the line";
    showPage(CommPage);
    page(CommPage)->field(40)->lineEdit()->setText(QStringLiteral("19200"));
    EXPECT_TRUE(sheet.lineNote()->isVisible());
    EXPECT_EQ(sheet.lineNote()->text(),
              "The board will listen at 19200 baud after this configuration\n"
              "The next command must use the new settings");
    QTest::mouseClick(page(CommPage)->commButton(1, 1), Qt::LeftButton); // "Odd"
    EXPECT_TRUE(sheet.lineNote()->text().contains(
        "The board will use 8 data bits, odd parity and 1 stop bits after this configuration"))
        << sheet.lineNote()->text().toStdString();
    // Letters in the field are refused only when the page is left: the note keeps
    // the last value and nothing is selected under the user's typing.
    page(CommPage)->field(40)->lineEdit()->setText(QStringLiteral("96x"));
    EXPECT_FALSE(page(CommPage)->field(40)->lineEdit()->hasSelectedText());
    page(CommPage)->field(40)->lineEdit()->setText(QStringLiteral("9600"));
    QTest::mouseClick(page(CommPage)->commButton(1, 4), Qt::LeftButton); // "None"
    EXPECT_TRUE(sheet.lineNote()->isHidden()) << sheet.lineNote()->text().toStdString();
}

// At the line's own rate a configuration for that rate changes nothing.
TEST(ConfigSheetLine, TheLineRateOfTheSelectionIsTheOneCompared)
{
    DeviceConfig config;
    config.serialBaudRate = 115200;
    ConfigSheet atThatRate(config, nullptr, 115200);
    EXPECT_TRUE(atThatRate.lineNote()->text().isEmpty());
    ConfigSheet atDefault(config, nullptr);
    EXPECT_TRUE(atDefault.lineNote()->text().startsWith(
        "The board will listen at 115200 baud after this configuration"));
}
