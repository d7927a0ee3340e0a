#pragma once

// A main window whose com1 is a simulator (or a line the test plays the board on),
// at zero pacing, with its boxes and file choosers answered by the test: the
// fixture of the board dialogs' tests.

#include "app/downloadcommands.h"
#include "app/mainactions.h"
#include "app/mainwindow.h"
#include "app/serialcontroller.h"
#include "device/downloaddialog.h"
#include "simulator.h"
#include "useranswers.h"
#include "widgets/messages.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

namespace Kernwick::Test {

/// Whether this process still holds `device` open.
inline bool heldOpen(const QString &device)
{
    const QString target = QFileInfo(device).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo &fd :
         fds.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        if (fd.symLinkTarget() == target)
            return true;
    }
    return false;
}

class BoardWindowTest : public ::testing::Test, protected UserAnswers
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { window.reset(); }

    /// A window whose com1 is a new simulator.
    bool startOn(const QStringList &simArgs = {})
    {
        if (!sim.start(simArgs))
            return false;
        makeWindow(sim.device());
        return true;
    }
    void makeWindow(const QString &device)
    {
        window = std::make_unique<MainWindow>(PortTable::fromDevices({device}));
        LinkTiming timing;
        timing.paceMs = 0;
        window->serial().setLinkTiming(timing);
    }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QByteArray readFile(const QString &path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    /// Runs the event loop until no conversation runs any more.
    bool waitUntilIdle(int ms = 30000)
    {
        if (!serial().isBusy())
            return true;
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        QObject::connect(&serial(), &SerialController::busyChanged, &loop, [&loop](bool busy) {
            if (!busy)
                loop.quit();
        });
        loop.exec();
        return !serial().isBusy();
    }
    /// The simulator's record `name` once it holds `size` bytes (or 5 seconds later).
    QByteArray simFile(const QString &name, qsizetype size)
    {
        QByteArray bytes;
        const bool complete = QTest::qWaitFor(
            [&] {
                bytes = sim.stateFile(name);
                return bytes.size() >= size;
            },
            5000);
        Q_UNUSED(complete); // the caller compares what came
        return bytes;
    }

    /// Runs the event loop until the progress log contains `text`.
    bool waitForLog(const QString &text, int ms = 20000)
    {
        return QTest::qWaitFor([&] { return progress() && progress()->logText().contains(text); },
                               ms);
    }

    SerialController &serial() { return window->serial(); }
    MainActions &actions() { return window->actions(); }
    DownloadDialog *progress() { return serial().progressDialog(); }
    QByteArray events() const { return sim.stateFile(QStringLiteral("events.log")); }

    QTemporaryDir dir;
    Simulator sim;
    std::unique_ptr<MainWindow> window;
};

} // namespace Kernwick::Test
