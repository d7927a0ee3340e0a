// Serial > Download to Many Boards...: the batch window on three simulated boards,
// its rows, the log of the selected row, Save Report, Stop, and the main window's
// port commands while a batch runs.

#include "boardwindowtest.h"

#include "app/mainactions.h"
#include "app/mainwindow.h"
#include "app/serialcontroller.h"
#include "device/batchdownloaddialog.h"
#include "simulator.h"
#include "simulatorlink.h"
#include "testapplication.h"
#include "useranswers.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

KERNWICK_TEST_APPLICATION(QApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

QByteArray sampleFont(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 13 + 1) & 0xFF);
    return bytes;
}

class BatchWindow : public BoardWindowTest
{
protected:
    /// Three boards on com1 to com3 of a main window at `paceMs`, and its batch window
    /// open with them ticked.
    bool startBoards(const QStringList &simArgs, int paceMs)
    {
        if (!sim.startBoards(3, simArgs))
            return false;
        window = std::make_unique<MainWindow>(PortTable::fromDevices(sim.devices()));
        LinkTiming timing;
        timing.paceMs = paceMs;
        serial().setLinkTiming(timing);
        SerialSelection selection;
        selection.portName = QStringLiteral("com1");
        selection.portPresent = 0b111;
        serial().setSelection(selection);
        actions().downloadToManyBoards->trigger();
        return batch() != nullptr;
    }
    BatchDownloadDialog *batch() { return serial().batchDialog(); }

    /// Runs the event loop until the batch has ended, calling `watch` as it runs.
    bool waitForTheEnd(const std::function<void()> &watch = {}, int ms = 60000)
    {
        return QTest::qWaitFor(
            [&] {
                if (watch)
                    watch();
                return !batch()->isRunning();
            },
            ms);
    }
};

} // namespace

// Three boards, the second refusing the erase: the rows advance chunk by chunk, the
// second fails with its reason, the port commands are disabled while the batch runs,
// a row's log shows when it is selected, and Save Report writes the CSV.
TEST_F(BatchWindow, RowsAdvanceAndTheReportIsSaved)
{
    ASSERT_TRUE(startBoards(
        {QStringLiteral("--board"), QStringLiteral("2"), QStringLiteral("--nak-erase")}, 1));
    BatchDownloadDialog &dialog = *batch();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.checkedPorts(), (QStringList{QStringLiteral("com1"), QStringLiteral("com2"),
                                                  QStringLiteral("com3")}));
    const QByteArray font = sampleFont(2048);
    dialog.setKind(BatchKind::Font);
    dialog.setFilePath(writeFile(QStringLiteral("font.zvf"), font));
    EXPECT_FALSE(dialog.stopButton()->isEnabled());
    EXPECT_FALSE(dialog.saveReportButton()->isEnabled());
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    ASSERT_TRUE(dialog.isRunning());
    ASSERT_EQ(dialog.rowCount(), 3);

    EXPECT_TRUE(serial().isBusy());
    for (QAction *command : {actions().testCom, actions().downloadFontMain, actions().terminal,
                             actions().downloadToManyBoards})
        EXPECT_FALSE(command->isEnabled()) << command->text().toStdString();
    EXPECT_FALSE(dialog.startButton()->isEnabled());
    EXPECT_TRUE(dialog.stopButton()->isEnabled());

    std::vector<QSet<QString>> states(3);
    std::vector<int> lastProgress(3, 0);
    bool progressWentBack = false;
    ASSERT_TRUE(waitForTheEnd([&] {
        for (int row = 0; row < 3; ++row) {
            states[std::size_t(row)].insert(dialog.rowState(row));
            const int progress = dialog.rowProgress(row);
            progressWentBack |= progress < lastProgress[std::size_t(row)];
            lastProgress[std::size_t(row)] = progress;
        }
    }));
    EXPECT_FALSE(progressWentBack);
    for (const int row : {0, 2}) {
        SCOPED_TRACE(row);
        const QSet<QString> &seen = states[std::size_t(row)];
        EXPECT_TRUE(seen.contains(QStringLiteral("Chunk 4 of 8")))
            << seen.values().join(", ").toStdString();
        EXPECT_EQ(dialog.rowState(row), QStringLiteral("Completed"));
        EXPECT_EQ(dialog.rowProgress(row), dialog.rowProgressMaximum(row));
        EXPECT_EQ(sim.stateFile(QStringLiteral("device4.bin"), row + 1), font);
        EXPECT_TRUE(dialog.rowTime(row).endsWith(QStringLiteral(" s")));
    }
    EXPECT_TRUE(states[1].contains(QStringLiteral("Erasing")));
    EXPECT_EQ(dialog.rowState(1), QStringLiteral("Failed: Memory erase failed"));

    EXPECT_FALSE(serial().isBusy());
    for (QAction *command : {actions().testCom, actions().downloadToManyBoards})
        EXPECT_TRUE(command->isEnabled()) << command->text().toStdString();
    EXPECT_TRUE(dialog.startButton()->isEnabled());
    EXPECT_FALSE(dialog.stopButton()->isEnabled());

    dialog.selectRow(1);
    EXPECT_TRUE(dialog.logText().contains(QStringLiteral("\nZUVO detected\nSending memory erase "
                                                         "command\n* Memory erase failed *\n")))
        << dialog.logText().toStdString();
    dialog.selectRow(2);
    EXPECT_TRUE(dialog.logText().endsWith(QStringLiteral("Memory flushed: font loaded\nFont "
                                                         "download complete")))
        << dialog.logText().toStdString();

    const QString report = dir.filePath(QStringLiteral("report.csv"));
    files.push_back({report});
    QTest::mouseClick(dialog.saveReportButton(), Qt::LeftButton);
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].kind, FileRequest::Kind::Save);
    const QList<QByteArray> lines = readFile(report).split('\n');
    ASSERT_EQ(lines.size(), 5) << readFile(report).toStdString();
    EXPECT_EQ(lines[0], "port,result,reason,seconds,started,finished\r");
    EXPECT_TRUE(lines[1].startsWith("com1,Completed,,"));
    EXPECT_TRUE(lines[2].startsWith("com2,Failed,Memory erase failed,"));
    EXPECT_TRUE(lines[3].startsWith("com3,Completed,,"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();
}

// Stop ends every board: each row says Stopped, every port is closed, the window's
// commands come back, and every board answers the next command.
TEST_F(BatchWindow, StopEndsEveryBoard)
{
    ASSERT_TRUE(startBoards({}, 2));
    BatchDownloadDialog &dialog = *batch();
    dialog.setFilePath(writeFile(QStringLiteral("font.zvf"), sampleFont(16 * 1024)));
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (int row = 0; row < 3; ++row) {
                if (!dialog.rowState(row).startsWith(QStringLiteral("Chunk")))
                    return false;
            }
            return true;
        },
        60000));
    QTest::mouseClick(dialog.stopButton(), Qt::LeftButton);
    ASSERT_TRUE(waitForTheEnd());
    EXPECT_TRUE(actions().testCom->isEnabled());
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(dialog.rowState(row), QStringLiteral("Stopped"));
        EXPECT_FALSE(heldOpen(sim.device(row + 1)));
        SimulatorLink link(sim.device(row + 1));
        EXPECT_TRUE(link.conversation->openPortLogged(9600));
        EXPECT_TRUE(link.conversation->detectBoard()) << link.log.toStdString();
    }
}

// Another board command running keeps Start disabled; the batch window refuses a file it
// cannot read before any port is opened.
TEST_F(BatchWindow, StartWaitsForOtherConversationsAndChecksTheFile)
{
    ASSERT_TRUE(startBoards({}, 0));
    BatchDownloadDialog &dialog = *batch();
    // "Test com" at the real pacing, which takes a while.
    serial().setLinkTiming(LinkTiming{});
    actions().testCom->trigger();
    ASSERT_TRUE(serial().isBusy());
    EXPECT_FALSE(dialog.startButton()->isEnabled());
    serial().stopAll();
    EXPECT_TRUE(dialog.startButton()->isEnabled());

    dialog.setKind(BatchKind::Configuration);
    dialog.setFilePath(dir.filePath(QStringLiteral("absent.zvc")));
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isRunning());
    EXPECT_EQ(dialog.rowCount(), 0);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("absent.zvc"))) << messages[0].toStdString();
    for (int board = 1; board <= 3; ++board)
        EXPECT_TRUE(sim.stateFile(QStringLiteral("wire.log"), board).isEmpty());
}
