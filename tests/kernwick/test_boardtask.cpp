// The board task's message boxes: the conversation's thread waits for the box it
// shows until the user has closed it, and a stop (or the task going away) ends
// that wait while the box is still open.

#include "namedcase.h"
#include "useranswers.h"

#include "device/boardtask.h"

#include "libkernwick/device/conversation.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

// Generous, for a loaded machine; the waits end as soon as their condition holds.
constexpr int DeadlineMs = 30000;

const BoxMessage box{QStringLiteral("ZUVO Kernwick"), QStringLiteral("Download Complete")};

// The two ways a conversation shows a box: one it asks the user to confirm, and a
// failure. The task waits for either to close.
struct BoxKind : NamedCase
{
    bool confirmation;
};

class BoardTaskBox : public ::testing::TestWithParam<BoxKind>, public UserAnswers
{
protected:
    // A task whose conversation shows the box, records that it went on past it and
    // releases `pastBox`, and ends Stopped if a stop was asked for.
    std::unique_ptr<BoardTask> newTask()
    {
        return std::make_unique<BoardTask>(
            QStringLiteral("com1"), PortTable::fromDevices({}), LinkTiming{},
            [this](Conversation &conversation) {
                if (GetParam().confirmation)
                    conversation.confirm(box);
                else
                    conversation.showBox(box);
                wentOn = true;
                pastBox.release();
                return DownloadOutcome(conversation.stopRequested() ? DownloadResult::Stopped
                                                                    : DownloadResult::Completed);
            },
            nullptr);
    }

    // The result the task reported at its end.
    static DownloadResult resultOf(const QSignalSpy &finished)
    {
        return finished.first().first().value<DownloadOutcome>().result;
    }

    std::atomic<bool> wentOn{false};
    QSemaphore pastBox;
};

} // namespace

TEST_P(BoardTaskBox, TheConversationGoesOnOnlyOnceTheBoxIsClosed)
{
    bool wentOnWhileOpen = true;
    onMessage = [&](const MessageRequest &) { wentOnWhileOpen = wentOn; };
    const std::unique_ptr<BoardTask> task = newTask();
    QSignalSpy finished(task.get(), &BoardTask::finished);
    task->start();

    ASSERT_TRUE(finished.wait(DeadlineMs));
    EXPECT_EQ(messages, QStringList{QStringLiteral("Download Complete")});
    EXPECT_FALSE(wentOnWhileOpen) << "the conversation went on while its box was open";
    EXPECT_TRUE(wentOn);
    EXPECT_EQ(resultOf(finished), DownloadResult::Completed);
}

TEST_P(BoardTaskBox, AStopEndsTheWaitWhileTheBoxIsStillOpen)
{
    const std::unique_ptr<BoardTask> task = newTask();
    bool releasedWhileOpen = false;
    onMessage = [&](const MessageRequest &) {
        task->stop();
        // The box is still open here: only the stop can let the conversation go on.
        releasedWhileOpen = pastBox.tryAcquire(1, DeadlineMs);
    };
    QSignalSpy finished(task.get(), &BoardTask::finished);
    task->start();

    ASSERT_TRUE(finished.wait(DeadlineMs));
    EXPECT_EQ(messages.size(), 1);
    EXPECT_TRUE(releasedWhileOpen);
    EXPECT_EQ(resultOf(finished), DownloadResult::Stopped);
}

TEST_P(BoardTaskBox, ATaskDestroyedWhileItsBoxIsOpenEndsItsThread)
{
    std::unique_ptr<BoardTask> task = newTask();
    bool destroyed = false;
    onMessage = [&](const MessageRequest &) {
        // As when the window closes: the task stops and waits for its thread.
        task.reset();
        destroyed = true;
    };
    task->start();

    ASSERT_TRUE(QTest::qWaitFor([&] { return destroyed; }, DeadlineMs));
    EXPECT_TRUE(wentOn);
}

TEST_P(BoardTaskBox, NoBoxIsShownOnceTheTaskIsStopped)
{
    const std::unique_ptr<BoardTask> task = newTask();
    QSignalSpy finished(task.get(), &BoardTask::finished);
    task->stop();
    task->start();

    ASSERT_TRUE(finished.wait(DeadlineMs));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(resultOf(finished), DownloadResult::Stopped);
}

INSTANTIATE_TEST_SUITE_P(Kinds, BoardTaskBox,
                         ::testing::Values(BoxKind{"Confirmation", true},
                                           BoxKind{"Failure", false}),
                         CaseName());
