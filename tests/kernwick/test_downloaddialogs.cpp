// The progress dialog and the memory device dialog on their own.

#include "device/downloaddialog.h"
#include "device/memorydevicedialog.h"
#include "qtprinters.h"
#include "testapplication.h"
#include "useranswers.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>

#include <gtest/gtest.h>

KERNWICK_TEST_APPLICATION(QApplication);

using namespace Kernwick;

namespace {

class ProgressDialog : public ::testing::Test, protected Test::UserAnswers
{
protected:
    DownloadDialog dialog{
        {QStringLiteral("Downloading font: a.zvf"), QStringLiteral("to device 4 on com1")}, 3};
    QPlainTextEdit *log() const { return dialog.findChild<QPlainTextEdit *>(); }
};

} // namespace

TEST_F(ProgressDialog, ShowsItsCaptionLinesAndTheRangeFromTheStart)
{
    EXPECT_EQ(dialog.windowTitle(), "Download To ZUVO/MIRL");
    EXPECT_EQ(dialog.fileLine(), "Downloading font: a.zvf");
    EXPECT_EQ(dialog.portLine(), "to device 4 on com1");
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.progressMaximum(), 3);
    EXPECT_EQ(dialog.progressValue(), 0);
    ASSERT_NE(log(), nullptr);
    EXPECT_TRUE(log()->isReadOnly());
    EXPECT_TRUE(dialog.logText().isEmpty());
}

TEST_F(ProgressDialog, LogTextsLandAtTheEndWhereverTheUserClicked)
{
    dialog.appendLog(QStringLiteral("Opening com port\r\n"));
    dialog.appendLog(QStringLiteral("Verifying ZUVO is present\r\n"));
    dialog.appendLog(QStringLiteral("."));
    // The user selects a word at the start of the log.
    QTextCursor selection(log()->document());
    selection.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
    log()->setTextCursor(selection);
    const QString selected = log()->textCursor().selectedText();
    ASSERT_EQ(selected, "Opening ");

    dialog.appendLog(QStringLiteral("."));
    dialog.appendLog(QStringLiteral("\r\nZUVO detected\r\n"));
    dialog.appendLog(QString());
    EXPECT_EQ(dialog.logText(), "Opening com port\nVerifying ZUVO is present\n..\nZUVO detected\n");
    EXPECT_EQ(log()->textCursor().selectedText(), selected) << "the selection is the user's";
}

TEST_F(ProgressDialog, TheBarCountsPiecesAndStaysFullPastItsTotal)
{
    dialog.setProgress(2, 3);
    EXPECT_EQ(dialog.progressValue(), 2);
    dialog.setProgress(4, 3); // a short last piece
    EXPECT_EQ(dialog.progressValue(), 3);
    EXPECT_EQ(dialog.progressMaximum(), 3);
    // A file smaller than one piece: a bar, not a busy indicator.
    dialog.setProgress(0, 0);
    EXPECT_GT(dialog.progressMaximum(), dialog.findChild<QProgressBar *>()->minimum());
    EXPECT_EQ(dialog.progressValue(), 0);
    dialog.setProgress(1, 0);
    EXPECT_EQ(dialog.progressValue(), dialog.progressMaximum());
}

TEST_F(ProgressDialog, DoneHidesItButEscapeAndTheCloseBoxDoNothing)
{
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.close());
    EXPECT_TRUE(dialog.isVisible());
    dialog.appendLog(QStringLiteral("Port opened\r\n"));

    QTest::mouseClick(dialog.doneButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.logText(), "Port opened\n") << "hidden, not cleared";
}

TEST_F(ProgressDialog, StopIsOfferedOnlyWhileTheDownloadRuns)
{
    QSignalSpy stops(&dialog, &DownloadDialog::stopRequested);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_FALSE(dialog.stopButton()->isEnabled());
    dialog.setRunning(true);
    ASSERT_TRUE(dialog.stopButton()->isEnabled());
    EXPECT_FALSE(dialog.stopButton()->autoDefault()) << "Enter must not stop a download";
    QTest::mouseClick(dialog.stopButton(), Qt::LeftButton);
    EXPECT_EQ(stops.size(), 1);
    EXPECT_TRUE(messages.isEmpty()) << "nothing erased yet: no question";
    EXPECT_FALSE(dialog.stopButton()->isEnabled()) << "asked once";
    EXPECT_TRUE(dialog.isVisible()) << "the log shows how it stopped";
    dialog.setRunning(false);
    EXPECT_FALSE(dialog.stopButton()->isEnabled());
}

TEST_F(ProgressDialog, FiguresFollowTheTransferAndTheHeadingSaysHowItEnded)
{
    dialog.setRunning(true);
    EXPECT_EQ(dialog.heading(), "Download in progress");
    EXPECT_TRUE(dialog.countLine().isEmpty()) << "no figures before the transfer begins";
    dialog.setTransfer({ProgressUnit::Blocks, 30, 120, 3960, 12000});
    EXPECT_EQ(dialog.countLine(), "30 of 120 blocks (25 %)");
    EXPECT_EQ(dialog.rateLine(), "3960 bytes sent, 330 bytes/s, 36 s left");
    dialog.setTransfer({ProgressUnit::Blocks, 120, 120, 15840, 48000});
    EXPECT_EQ(dialog.rateLine(), "15840 bytes sent, 330 bytes/s") << "nothing left to estimate";

    dialog.setTransfer({ProgressUnit::Blocks, 60, 120, 7920, 24000});
    for (const auto &[result, heading] : {std::pair{DownloadResult::Completed, "Download complete"},
                                          std::pair{DownloadResult::Failed, "Download failed"},
                                          std::pair{DownloadResult::Stopped, "Download stopped"}}) {
        dialog.setRunning(true);
        dialog.finish(result);
        EXPECT_EQ(dialog.heading(), heading);
        EXPECT_EQ(dialog.rateLine(), "7920 bytes sent, 330 bytes/s") << "nothing is left to come";
        EXPECT_FALSE(dialog.stopButton()->isEnabled());
    }
}

// Once the board's memory is erased a stop leaves it without a font: Stop asks, and
// only Yes stops.
TEST_F(ProgressDialog, StopAsksOnceTheMemoryHasBeenErased)
{
    QSignalSpy stops(&dialog, &DownloadDialog::stopRequested);
    dialog.show();
    dialog.setRunning(true);
    dialog.setMemoryErased(2);
    answers = {MessageAnswer::No};
    QTest::mouseClick(dialog.stopButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "The board's memory device 2 has been erased. Stop anyway?");
    EXPECT_TRUE(boxes[0].yesNo);
    EXPECT_EQ(stops.size(), 0);
    EXPECT_TRUE(dialog.stopButton()->isEnabled()) << "the download goes on";

    answers = {MessageAnswer::Yes};
    QTest::mouseClick(dialog.stopButton(), Qt::LeftButton);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(stops.size(), 1);

    // A download that ends while the question is open is not stopped after it.
    dialog.setRunning(true);
    onMessage = [this](const MessageRequest &) { dialog.finish(DownloadResult::Completed); };
    answers = {MessageAnswer::Yes};
    QTest::mouseClick(dialog.stopButton(), Qt::LeftButton);
    EXPECT_EQ(stops.size(), 1);
    EXPECT_EQ(dialog.heading(), "Download complete");
}

TEST(MemoryDeviceDialog, OffersDevicesZeroToFourWithFourChecked)
{
    MemoryDeviceDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Select Memory Device");
    for (int n = 0; n <= 4; ++n) {
        ASSERT_NE(dialog.deviceButton(n), nullptr) << n;
        EXPECT_EQ(dialog.deviceButton(n)->text(), QStringLiteral("Device %1").arg(n));
        EXPECT_EQ(dialog.deviceButton(n)->isChecked(), n == 4) << n;
    }
    EXPECT_EQ(dialog.device(), 4);
    QStringList labels;
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        labels << label->text();
    EXPECT_TRUE(labels.contains("Select Device 4 for default internal memory"));
}

namespace {

// Clicks a radio button on its circle, where a click always lands.
void clickRadio(QRadioButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
}

} // namespace

TEST(MemoryDeviceDialog, AClickChoosesTheDeviceAtOnce)
{
    MemoryDeviceDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    clickRadio(dialog.deviceButton(1));
    EXPECT_EQ(dialog.device(), 1);
    EXPECT_FALSE(dialog.deviceButton(4)->isChecked());
    clickRadio(dialog.deviceButton(0));
    EXPECT_EQ(dialog.device(), 0);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.device(), 0);
}
