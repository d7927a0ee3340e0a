// The Serial > Download commands of the main window against zuvo-sim: the progress
// dialog they fill, the boxes they show, Stop, and a window that stays responsive.

#include "boardwindowtest.h"

#include "app/downloadcommands.h"
#include "app/mainactions.h"
#include "app/mainwindow.h"
#include "app/serialcontroller.h"
#include "config/configcontroller.h"
#include "config/configpagewidget.h"
#include "config/configsheet.h"
#include "device/downloaddialog.h"
#include "device/memorydevicedialog.h"
#include "editor/editorview.h"
#include "namedcase.h"
#include "qtprinters.h"
#include "simulator.h"
#include "testapplication.h"
#include "widgets/messages.h"
#include "widgets/spinfield.h"

#include "libkernwick/device/serialport.h"
#include "libkernwick/font/document.h"
#include "libkernwick/font/zvffile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <thread>

KERNWICK_TEST_APPLICATION(QApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

const QString opened = QStringLiteral(
    "Opening com port\nPort opened\nConfiguring com port\nPort configured successfully\n");

QByteArray sampleBytes(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = (i / 20) % 4 == 1 ? '\0' : char((i * 53 + 7) & 0xFF);
    return bytes;
}

// A main window on one simulator whose memory device dialog is answered with
// `device`.
class DownloadTest : public BoardWindowTest
{
protected:
    void SetUp() override
    {
        BoardWindowTest::SetUp();
        onDialog = [this](QDialog &dialog) {
            auto *devices = qobject_cast<MemoryDeviceDialog *>(&dialog);
            if (!devices || device < 0)
                return int(QDialog::Rejected);
            if (device != devices->device())
                QTest::mouseClick(devices->deviceButton(device), Qt::LeftButton, {},
                                  QPoint(4, devices->deviceButton(device)->height() / 2));
            dialog.accept();
            return dialog.result();
        };
    }

    int device = 4; ///< chosen in the memory device dialog; -1 cancels it
};

// `log` is `head`, the detection's dots (1 to 20) and `tail`.
::testing::AssertionResult logIs(const QString &log, const QString &head, const QString &tail)
{
    if (!log.startsWith(head) || !log.endsWith(tail) || log.size() < head.size() + tail.size() + 1)
        return ::testing::AssertionFailure() << log.toStdString();
    const QString dots = log.mid(head.size(), log.size() - head.size() - tail.size());
    if (dots.size() > 20 || dots.count(QLatin1Char('.')) != dots.size())
        return ::testing::AssertionFailure() << "dots: " << dots.toStdString();
    return ::testing::AssertionSuccess();
}

// Each download command against the simulator: the file arrives, and the dialog
// shows the captions, the whole log and a full bar.
struct DownloadCase : NamedCase
{
    QAction *MainActions::*command;
    QStringList simArgs;
    int device; ///< chosen in the memory device dialog (fonts)
    int size;
    const char *fileLine;
    const char *portLine;
    const char *head; ///< the log after opening, before the dots
    const char *tail;
    const char *stored; ///< the simulator's file that receives it
    int blocks;         ///< 0 for a font; the firmware's padded block count
    int total;
};

class EachDownload : public DownloadTest, public ::testing::WithParamInterface<DownloadCase>
{
};

const char *const fontTail = "\nZUVO detected\nSending memory erase command\nMemory erased\n"
                             "Downloading font\nFont download complete\nSending memory flush "
                             "command\nMemory flushed: font loaded\nFont download complete";

} // namespace

TEST_P(EachDownload, SendsTheFileAndFillsTheProgressDialog)
{
    const DownloadCase &c = GetParam();
    ASSERT_TRUE(startOn(c.simArgs));
    const bool firmware = c.blocks > 0;
    const QByteArray bytes = sampleBytes(c.size);
    files = {{writeFile(firmware ? QStringLiteral("image.bin") : QStringLiteral("a.zvf"), bytes)}};
    device = c.device;
    // "g#" goes only after the user has closed "Download Complete".
    QByteArray eventsAtConfirmation;
    onMessage = [&](const MessageRequest &request) {
        if (request.text != QLatin1String("Download Complete"))
            return;
        EXPECT_EQ(request.caption, "ZUVO Kernwick");
        QThread::msleep(300); // time for a "g#" sent too early to arrive
        eventsAtConfirmation = events();
    };

    (actions().*c.command)->trigger();
    EXPECT_EQ(dialogs, firmware ? 0 : 1);
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].kind, FileRequest::Kind::Open);
    EXPECT_TRUE(fileRequests[0].suggestion.isEmpty());
    ASSERT_NE(progress(), nullptr);
    EXPECT_TRUE(progress()->isVisible());
    EXPECT_EQ(progress()->fileLine(), c.fileLine);
    EXPECT_EQ(progress()->portLine(), c.portLine);
    EXPECT_EQ(progress()->progressMaximum(), c.total);
    EXPECT_TRUE(serial().isBusy());
    ASSERT_TRUE(waitUntilIdle());

    EXPECT_TRUE(logIs(progress()->logText(), opened + QString::fromLatin1(c.head),
                      QString::fromLatin1(c.tail)));
    EXPECT_EQ(progress()->progressValue(), c.total);
    EXPECT_TRUE(progress()->isVisible()) << "kept until Done";
    EXPECT_FALSE(progress()->stopButton()->isEnabled());
    const QByteArray stored = sim.stateFile(QString::fromLatin1(c.stored));
    if (firmware) {
        EXPECT_EQ(messages, QStringList{"Download Complete"});
        EXPECT_TRUE(eventsAtConfirmation.contains("firmware received"));
        EXPECT_FALSE(eventsAtConfirmation.contains("firmware started"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return events().contains("firmware started"); }, 5000));
        EXPECT_EQ(stored, bytes + QByteArray(c.blocks * 128 - c.size, '\x1a'));
    } else {
        EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
        EXPECT_EQ(stored, bytes);
    }
    EXPECT_FALSE(heldOpen(sim.device()));
    for (QAction *command :
         {actions().testCom, actions().downloadFontMain, actions().downloadFirmwareRepair})
        EXPECT_TRUE(command->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Commands, EachDownload,
    ::testing::Values(
        DownloadCase{"FontMainPort",
                     &MainActions::downloadFontMain,
                     {},
                     2,
                     700,
                     "Downloading font: a.zvf",
                     "to device 2 on com1",
                     "Verifying ZUVO is present\n",
                     fontTail,
                     "device2.bin",
                     0,
                     2},
        DownloadCase{"FontDebugPort",
                     &MainActions::downloadFontDebug,
                     {QStringLiteral("--mode"), QStringLiteral("debug")},
                     4,
                     300,
                     "Downloading font: a.zvf",
                     "to device 4 on com1",
                     "Verifying ZUVO is present\n",
                     fontTail,
                     "device4.bin",
                     0,
                     1},
        DownloadCase{"FirmwareMainPort",
                     &MainActions::downloadFirmwareMain,
                     {},
                     4,
                     5 * 128 + 3,
                     "Downloading file: image.bin",
                     "on com1",
                     "Verifying ZUVO is present\n",
                     "\nZUVO detected\nSending reset for download command\nReconfiguring "
                     "comport\nPreparing to download\nBeginning download\nDownload complete\n",
                     "firmware.bin",
                     6,
                     5},
        DownloadCase{"FirmwareDebugPort",
                     &MainActions::downloadFirmwareDebug,
                     {QStringLiteral("--mode"), QStringLiteral("debug")},
                     4,
                     5 * 128 + 3,
                     "Downloading file: image.bin",
                     "on com1",
                     "Verifying device is present\n",
                     "\nDevice detected\nSending reset for download command\nPreparing to "
                     "download\nBeginning download\npacket 1\npacket 2\npacket 3\npacket "
                     "4\npacket 5\npacket 6\nDownload complete\n",
                     "firmware.bin",
                     6,
                     5},
        DownloadCase{"FirmwareRepair",
                     &MainActions::downloadFirmwareRepair,
                     {QStringLiteral("--mode"), QStringLiteral("monitor")},
                     4,
                     5 * 128 + 3,
                     "Downloading file: image.bin",
                     "on com1",
                     "Verifying device is present\n",
                     "\nDevice detected\nPreparing to download\nBeginning download\nDownload "
                     "complete\n",
                     "firmware.bin",
                     6,
                     5}),
    CaseName());

TEST_F(DownloadTest, TheFontInTheWindowGoesAsASaveWouldWriteItUnsaved)
{
    ASSERT_TRUE(startOn());
    window->view().run(EditOperation::InsertRow);
    ASSERT_TRUE(window->document().isModified());
    const QByteArray expected = encodeZvf(window->document().font()).bytes;
    onDialog = [](QDialog &dialog) {
        auto &devices = dynamic_cast<MemoryDeviceDialog &>(dialog);
        EXPECT_TRUE(devices.fileButton()->isChecked()) << "a file, as always, unless chosen";
        EXPECT_TRUE(devices.openFontButton()->text().endsWith("Untitled"));
        devices.deviceButton(2)->setChecked(true);
        devices.openFontButton()->setChecked(true);
        dialog.accept();
        return dialog.result();
    };
    actions().downloadFontMain->trigger();
    EXPECT_TRUE(fileRequests.empty()) << "no file is asked for";
    ASSERT_NE(progress(), nullptr);
    EXPECT_EQ(progress()->fileLine(), "Downloading font: Untitled");
    EXPECT_EQ(progress()->portLine(), "to device 2 on com1");
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_TRUE(progress()->logText().endsWith("Font download complete"))
        << progress()->logText().toStdString();
    EXPECT_EQ(simFile(QStringLiteral("device2.bin"), expected.size()), expected);
    EXPECT_TRUE(window->document().isModified()) << "sending is not saving";
    EXPECT_TRUE(window->document().filePath().isEmpty());
}

TEST_F(DownloadTest, ARepairBlockRefusedTakesTheDialogAwayAndSaysSo)
{
    ASSERT_TRUE(startOn({QStringLiteral("--mode"), QStringLiteral("monitor"),
                         QStringLiteral("--nak-block"), QStringLiteral("2")}));
    files = {{writeFile(QStringLiteral("image.bin"), sampleBytes(600))}};
    actions().downloadFirmwareRepair->trigger();
    const QPointer<DownloadDialog> dialog = progress();
    ASSERT_FALSE(dialog.isNull());
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_TRUE(dialog.isNull()) << "destroyed before the box";
    EXPECT_EQ(progress(), nullptr);
    EXPECT_EQ(messages, QStringList{"error downloading data"});
    EXPECT_FALSE(events().contains("firmware started"));
    EXPECT_FALSE(heldOpen(sim.device()));
}

TEST_F(DownloadTest, TheDebugFirmwareCommandOffersTheLastFileItOpened)
{
    ASSERT_TRUE(startOn({QStringLiteral("--mode"), QStringLiteral("debug")}));
    const QString image = writeFile(QStringLiteral("image.bin"), sampleBytes(10));
    files = {{image}};
    actions().downloadFirmwareDebug->trigger();
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_NE(progress(), nullptr);
    EXPECT_TRUE(progress()->logText().endsWith("Download complete\n"))
        << progress()->logText().toStdString();
    messages.clear();

    // A file that cannot be opened is not remembered, and nothing starts.
    files = {{dir.filePath(QStringLiteral("missing.bin"))}};
    DownloadDialog *const first = progress();
    actions().downloadFirmwareDebug->trigger();
    EXPECT_EQ(messages, QStringList{"File Error"});
    EXPECT_EQ(progress(), first);
    EXPECT_FALSE(serial().isBusy());

    actions().downloadFirmwareDebug->trigger(); // cancelled
    actions().downloadFirmwareMain->trigger();
    actions().downloadFirmwareRepair->trigger();
    actions().downloadFontDebug->trigger();
    ASSERT_EQ(fileRequests.size(), 6u);
    EXPECT_TRUE(fileRequests[0].suggestion.isEmpty());
    EXPECT_EQ(fileRequests[1].suggestion, image);
    EXPECT_EQ(fileRequests[2].suggestion, image) << "not the file that failed";
    for (std::size_t i = 3; i < 6; ++i)
        EXPECT_TRUE(fileRequests[i].suggestion.isEmpty()) << "only the debug firmware command";
    EXPECT_EQ(window->serial().downloads().lastDebugFirmware(), image);
}

TEST_F(DownloadTest, CancelOrAnUnreadableFontStartsNothing)
{
    ASSERT_TRUE(startOn());
    device = -1;
    actions().downloadFontMain->trigger();
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(fileRequests.empty()) << "cancelled at the device";
    device = 4;
    actions().downloadFontMain->trigger(); // cancelled at the file
    files = {{dir.path()}};                // a folder cannot be read as a file
    actions().downloadFontMain->trigger();
    EXPECT_EQ(fileRequests.size(), 2u);
    EXPECT_EQ(messages, QStringList{"File Error"});
    EXPECT_EQ(progress(), nullptr);
    EXPECT_FALSE(serial().isBusy());
}

TEST_F(DownloadTest, DoneHidesTheDialogWhileTheDownloadGoesOnToItsEnd)
{
    ASSERT_TRUE(startOn({QStringLiteral("--reply-delay-ms"), QStringLiteral("100")}));
    const QByteArray font = sampleBytes(4 * 256);
    files = {{writeFile(QStringLiteral("a.zvf"), font)}};
    actions().downloadFontMain->trigger();
    ASSERT_TRUE(waitForLog(QStringLiteral("Downloading font\n")));
    QTest::keyClick(progress(), Qt::Key_Escape);
    EXPECT_TRUE(progress()->isVisible());
    EXPECT_FALSE(progress()->close()) << "the close box does nothing";
    QTest::mouseClick(progress()->doneButton(), Qt::LeftButton);
    EXPECT_FALSE(progress()->isVisible());
    EXPECT_TRUE(serial().isBusy());

    ASSERT_TRUE(waitUntilIdle());
    EXPECT_TRUE(
        progress()->logText().endsWith("Memory flushed: font loaded\nFont download complete"));
    EXPECT_EQ(sim.stateFile(QStringLiteral("device4.bin")), font);

    // The next download gets a dialog of its own; the hidden one goes.
    const QPointer<DownloadDialog> hidden = progress();
    files = {{writeFile(QStringLiteral("b.zvf"), sampleBytes(10))}};
    actions().downloadFontMain->trigger();
    EXPECT_NE(progress(), hidden.data());
    EXPECT_EQ(progress()->fileLine(), "Downloading font: b.zvf");
    ASSERT_TRUE(waitUntilIdle());
    QTest::qWait(0);
    EXPECT_TRUE(hidden.isNull());
}

// The figures under the bar at half way are those of the wire: two of four chunks,
// the bytes of exactly those two chunks, a rate and the time left.
TEST_F(DownloadTest, ProgressFiguresAtHalfWayCountWhatTheBoardReceived)
{
    ASSERT_TRUE(startOn({QStringLiteral("--reply-delay-ms"), QStringLiteral("50")}));
    files = {{writeFile(QStringLiteral("a.zvf"), sampleBytes(4 * 256))}};
    QString halfCount;
    QString halfRate;
    QObject::connect(&serial(), &SerialController::downloadStatusChanged, window.get(), [&] {
        // The dialog has taken the figures by the time the status hears of them.
        if (progress() && progress()->countLine().endsWith(QLatin1String("(50 %)")) &&
            halfCount.isEmpty()) {
            halfCount = progress()->countLine();
            halfRate = progress()->rateLine();
        }
    });
    actions().downloadFontMain->trigger();
    ASSERT_TRUE(progress());
    EXPECT_EQ(progress()->heading(), "Download in progress");
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(progress()->heading(), "Download complete");

    const QByteArray wire = sim.stateFile(QStringLiteral("wire.log"));
    const qsizetype firstChunk = wire.indexOf("\x1bX");
    const qsizetype thirdChunk = wire.indexOf("\x1bX", wire.indexOf("\x1bX", firstChunk + 1) + 1);
    const qsizetype flush = wire.indexOf("\x1b[92;");
    ASSERT_TRUE(firstChunk > 0 && thirdChunk > firstChunk && flush > thirdChunk);
    EXPECT_EQ(halfCount, "2 of 4 chunks (50 %)");
    const QRegularExpression rate(QStringLiteral("^(\\d+) bytes sent, \\d+ bytes/s, \\d+ s left$"));
    const QRegularExpressionMatch half = rate.match(halfRate);
    ASSERT_TRUE(half.hasMatch()) << halfRate.toStdString();
    EXPECT_EQ(half.captured(1).toLongLong(), thirdChunk - firstChunk);
    EXPECT_EQ(progress()->countLine(), "4 of 4 chunks (100 %)");
    EXPECT_TRUE(progress()->rateLine().startsWith(
        QStringLiteral("%1 bytes sent, ").arg(flush - firstChunk)))
        << progress()->rateLine().toStdString();
}

// A download put away with Done stays in the status bar, whose line (or Serial >
// Show Download) brings its dialog back; the line goes when the download ends.
TEST_F(DownloadTest, ADownloadPutAwayShowsInTheStatusBarUntilItEnds)
{
    ASSERT_TRUE(startOn({QStringLiteral("--reply-delay-ms"), QStringLiteral("150")}));
    files = {{writeFile(QStringLiteral("a.zvf"), sampleBytes(8 * 256))}};
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QToolButton *line = window->downloadIndicator();
    EXPECT_FALSE(actions().showDownload->isEnabled()) << "no download yet";
    actions().downloadFontMain->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !progress()->countLine().isEmpty(); }, 20000));
    EXPECT_TRUE(line->isHidden()) << "the dialog is on screen";

    QTest::mouseClick(progress()->doneButton(), Qt::LeftButton);
    ASSERT_TRUE(serial().isBusy());
    EXPECT_FALSE(line->isHidden());
    const QString percent = progress()->countLine().section(QLatin1Char('('), 1).chopped(1);
    EXPECT_EQ(line->text(), QStringLiteral("Downloading font to com1: %1").arg(percent));
    QTest::mouseClick(line, Qt::LeftButton);
    EXPECT_TRUE(progress()->isVisible());
    EXPECT_TRUE(line->isHidden());

    QTest::mouseClick(progress()->doneButton(), Qt::LeftButton);
    ASSERT_TRUE(actions().showDownload->isEnabled());
    actions().showDownload->trigger();
    EXPECT_TRUE(progress()->isVisible());
    QTest::mouseClick(progress()->doneButton(), Qt::LeftButton);

    ASSERT_TRUE(waitUntilIdle());
    EXPECT_TRUE(line->isHidden());
    EXPECT_TRUE(actions().showDownload->isEnabled()) << "the last log can still be read";
    EXPECT_EQ(progress()->heading(), "Download complete");
}

// The issue's check: while a slow board holds the conversation, the window handles
// a queued call at once, the port commands wait and the editor works.
TEST_F(DownloadTest, TheWindowAnswersQueuedCallsWhileASlowBoardIsDownloadedTo)
{
    // A read on the window's thread would hold it for a whole reply delay.
    const int replyDelayMs = 250;
    ASSERT_TRUE(startOn({QStringLiteral("--reply-delay-ms"), QString::number(replyDelayMs)}));
    const QByteArray font = sampleBytes(4 * 256 + 10);
    files = {{writeFile(QStringLiteral("a.zvf"), font)}};
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    actions().downloadFontMain->trigger();
    ASSERT_TRUE(serial().isBusy());
    // Showing a window for the first time is no part of the download.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(progress()));
    for (QAction *command : {actions().testCom, actions().downloadFontMain,
                             actions().downloadFontDebug, actions().downloadFirmwareMain,
                             actions().downloadFirmwareDebug, actions().downloadFirmwareRepair})
        EXPECT_FALSE(command->isEnabled()) << command->text().toStdString();
    actions().action(EditOperation::InsertRow)->trigger();
    EXPECT_TRUE(window->document().isModified()) << "the editor stays usable";

    // Another thread posts a call to the window every few milliseconds and the
    // window notes how long each waited.
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> waitedMs;
    std::atomic<bool> sampling{true};
    std::thread sampler([&] {
        while (sampling) {
            const qint64 posted = clock.nsecsElapsed();
            QMetaObject::invokeMethod(
                window.get(),
                [&waitedMs, &clock, posted] {
                    waitedMs.push_back((clock.nsecsElapsed() - posted) / 1000000);
                },
                Qt::QueuedConnection);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    const bool idle = waitUntilIdle();
    sampling = false;
    sampler.join();
    QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
    ASSERT_TRUE(idle);

    const qint64 worst = *std::max_element(waitedMs.begin(), waitedMs.end());
    RecordProperty("samples", int(waitedMs.size()));
    RecordProperty("worst_ms", int(worst));
    std::printf("queued calls: %zu, worst wait %lld ms\n", waitedMs.size(), (long long)worst);
    EXPECT_GE(waitedMs.size(), 100u) << "the download lasts seconds";
    EXPECT_LT(worst, replyDelayMs) << "a read of the slow board held the window";
    EXPECT_EQ(sim.stateFile(QStringLiteral("device4.bin")), font);
}

// Stop and closing the window end a running download at its next step, with
// "* Stopped *" in the log and the port closed.
struct StopCase : NamedCase
{
    bool closeWindow;
};

class StopDownload : public DownloadTest, public ::testing::WithParamInterface<StopCase>
{
};

TEST_P(StopDownload, EndsWithinOneReadTimeoutWithThePortClosed)
{
    ASSERT_TRUE(startOn({QStringLiteral("--reply-delay-ms"), QStringLiteral("200")}));
    files = {{writeFile(QStringLiteral("a.zvf"), sampleBytes(40 * 256))}};
    window->show();
    actions().downloadFontMain->trigger();
    ASSERT_TRUE(waitForLog(QStringLiteral("Downloading font\n")));
    ASSERT_TRUE(heldOpen(sim.device()));
    const QPointer<DownloadDialog> dialog = progress();

    QElapsedTimer stopping;
    stopping.start();
    if (GetParam().closeWindow) {
        EXPECT_TRUE(window->close());
        EXPECT_FALSE(window->isVisible());
        EXPECT_FALSE(serial().isBusy()) << "the window waits for the port to close";
    } else {
        answers = {MessageAnswer::Yes}; // the memory is erased: stop anyway
        QTest::mouseClick(dialog->stopButton(), Qt::LeftButton);
        ASSERT_TRUE(waitUntilIdle(5000));
    }
    const qint64 ms = stopping.elapsed();
    std::printf("stopped after %lld ms\n", (long long)ms);
    EXPECT_LT(ms, window->serial().linkTiming().readTimeoutMs);

    EXPECT_FALSE(heldOpen(sim.device()));
    CSerialPort again(PortTable::fromDevices({}));
    EXPECT_TRUE(again.open(sim.device())) << "the line is free for the next user";
    again.close();
    ASSERT_FALSE(dialog.isNull());
    EXPECT_TRUE(dialog->logText().endsWith("\n* Stopped *")) << dialog->logText().toStdString();
    EXPECT_FALSE(dialog->logText().contains("failed"));
    EXPECT_FALSE(dialog->stopButton()->isEnabled());
    EXPECT_EQ(messages, GetParam().closeWindow ? QStringList{}
                                               : QStringList{"The board's memory device 4 has "
                                                             "been erased. Stop anyway?"});
    EXPECT_EQ(dialog->heading(), "Download stopped");
    EXPECT_FALSE(sim.stateFile(QStringLiteral("wire.log")).contains("\x1b[92;")) << "no flush";
}

INSTANTIATE_TEST_SUITE_P(Ways, StopDownload,
                         ::testing::Values(StopCase{"StopButton", false},
                                           StopCase{"ClosingTheMainWindow", true}),
                         CaseName());

// The configuration editor's Download: the edited values become current and reach
// the board through a progress dialog of their own.
TEST_F(DownloadTest, TheConfigurationEditorDownloadsTheEditedValues)
{
    ASSERT_TRUE(startOn({}));
    setDialogInterceptor([](QDialog &dialog) {
        auto &sheet = static_cast<ConfigSheet &>(dialog);
        sheet.tabs()->setCurrentIndex(4); // Blink
        sheet.page(4)->field(33)->setText(QStringLiteral("20"));
        sheet.accept();
        return sheet.result();
    });
    actions().configurationEditor->trigger();
    ASSERT_NE(progress(), nullptr);
    EXPECT_EQ(progress()->fileLine(), "Downloading configuration");
    EXPECT_EQ(progress()->portLine(), "on com1");
    EXPECT_FALSE(actions().configurationEditor->isEnabled()) << "a download is running";
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_TRUE(logIs(progress()->logText(), opened + "Verifying ZUVO is present\n",
                      "\nZUVO detected\nSending configuration\nConfiguration download "
                      "complete\n"));
    EXPECT_EQ(progress()->progressValue(), 10);
    EXPECT_EQ(window->configuration().current().blinkPeriod, 20);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return sim.stateFile(QStringLiteral("config.txt")).contains("33=20\n"); }, 5000));
    EXPECT_TRUE(actions().configurationEditor->isEnabled());
}
