// The Terminal against zuvo-sim and against a line the test plays the board on:
// what typed keys and sent files put on the line and show, what arrives, and the
// port's opening and closing.

#include "app/boarddialogs.h"
#include "boardwindowtest.h"
#include "device/receivedtext.h"
#include "device/terminaldialog.h"
#include "device/transmitedit.h"
#include "namedcase.h"
#include "pty.h"
#include "qtprinters.h"
#include "testapplication.h"
#include "widgets/settings.h"

#include "libkernwick/font/document.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

KERNWICK_TEST_APPLICATION(QApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

class TerminalTest : public BoardWindowTest
{
protected:
    void SetUp() override
    {
        BoardWindowTest::SetUp();
        // Every test starts from the line end a first run has.
        programSettings().remove(QStringLiteral("Terminal/Line End"));
    }
    void TearDown() override
    {
        terminal.reset();
        BoardWindowTest::TearDown();
    }
    // A terminal in front of the window, shown.
    void openTerminal()
    {
        terminal = std::make_unique<TerminalDialog>(serial(), window.get());
        terminal->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(terminal.get()));
    }
    bool connectLine()
    {
        QTest::mouseClick(terminal->connectButton(), Qt::LeftButton);
        return QTest::qWaitFor([&] { return terminal->isConnected(); }, 5000);
    }
    QString received() const { return terminal->receiveBox()->toPlainText(); }
    QString shown() const { return terminal->transmitBox()->toPlainText(); }
    QByteArray wire(qsizetype size) { return simFile(QStringLiteral("wire.log"), size); }

    std::unique_ptr<TerminalDialog> terminal;
};

// What keys typed in the transmit box put on the line and show there.
struct KeysCase : NamedCase
{
    std::function<void(QWidget *box)> type;
    QByteArray wire;
    QString shown;
};

class TypedKeys : public TerminalTest, public ::testing::WithParamInterface<KeysCase>
{
};

void keys(QWidget *box, std::initializer_list<Qt::Key> list)
{
    for (const Qt::Key key : list)
        QTest::keyClick(box, key);
}

// A key press with the text the platform gives it (QTest gives only Latin-1 text,
// and "g" for Ctrl+G where the platforms give 0x07).
void press(QWidget *box, int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    QKeyEvent down(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(box, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(box, &up);
}

} // namespace

TEST_P(TypedKeys, GoOutAtOnceAndShowAsUsual)
{
    const KeysCase &c = GetParam();
    ASSERT_TRUE(startOn());
    openTerminal();
    ASSERT_TRUE(connectLine());
    EXPECT_EQ(terminal->connectButton()->text(), "Disconnect");
    c.type(terminal->transmitBox());
    EXPECT_EQ(wire(c.wire.size()), c.wire);
    EXPECT_EQ(shown(), c.shown);
    EXPECT_TRUE(terminal->isVisible()) << "no key closes the terminal";
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TypedKeys,
    ::testing::Values(KeysCase{"EnterSendsCrLf",
                               [](QWidget *box) {
                                   QTest::keyClicks(box, "ab");
                                   keys(box, {Qt::Key_Return});
                                   QTest::keyClicks(box, "c");
                               },
                               "ab\r\nc", "ab\nc"},
                      KeysCase{"BackspaceSends8AndDeletes",
                               [](QWidget *box) {
                                   QTest::keyClicks(box, "abc");
                                   keys(box, {Qt::Key_Backspace});
                               },
                               "abc\x08", "ab"},
                      KeysCase{"TabIsTyped",
                               [](QWidget *box) {
                                   keys(box, {Qt::Key_Tab});
                                   QTest::keyClicks(box, "x");
                               },
                               "\tx", "\tx"},
                      KeysCase{"EscapeInTheBox",
                               [](QWidget *box) {
                                   QTest::keyClicks(box, "a");
                                   keys(box, {Qt::Key_Escape});
                               },
                               "a\x1b", "a<ESC>"},
                      KeysCase{"ControlKeysSendTheirCharacter",
                               [](QWidget *box) {
                                   press(box, Qt::Key_G, Qt::ControlModifier,
                                         QStringLiteral("\x07"));
                                   press(box, Qt::Key_BracketLeft, Qt::ControlModifier, QString());
                               },
                               "\x07\x1b", ""},
                      KeysCase{"EightBitCharactersOnly",
                               [](QWidget *box) {
                                   press(box, 0, Qt::NoModifier, QStringLiteral("\u00e9"));
                                   press(box, 0, Qt::NoModifier, QStringLiteral("\u20ac"));
                                   press(box, Qt::Key_Delete, Qt::NoModifier,
                                         QStringLiteral("\x7f"));
                                   QTest::keyClicks(box, "z");
                               },
                               "\xe9z", QStringLiteral("\u00e9z")}),
    CaseName());

TEST_F(TerminalTest, TheDialogsCancelSendsEscAndShowsIt)
{
    ASSERT_TRUE(startOn());
    openTerminal();
    ASSERT_TRUE(connectLine());
    QTest::keyClicks(terminal->transmitBox(), "ab");
    terminal->receiveBox()->setFocus();
    QTest::keyClick(terminal->receiveBox(), Qt::Key_Escape);
    EXPECT_TRUE(terminal->isVisible()) << "the dialog stays open";
    EXPECT_EQ(shown(), "ab<ESC>");
    EXPECT_EQ(wire(3), "ab\x1b");
}

TEST_F(TerminalTest, TypingWhileDisconnectedShowsButSendsNothing)
{
    ASSERT_TRUE(startOn());
    openTerminal();
    EXPECT_FALSE(terminal->isConnected());
    EXPECT_EQ(terminal->connectButton()->text(), "Connect");
    QTest::keyClicks(terminal->transmitBox(), "abc");
    QTest::keyClick(terminal->transmitBox(), Qt::Key_Return);
    terminal->reject(); // Escape: shown, not sent
    EXPECT_EQ(shown(), "abc\n<ESC>");
    EXPECT_FALSE(serial().isBusy()) << "the port stays closed";

    ASSERT_TRUE(connectLine());
    QTest::keyClicks(terminal->transmitBox(), "X");
    EXPECT_EQ(wire(1), "X");
    QTest::qWait(100);
    EXPECT_EQ(sim.stateFile(QStringLiteral("wire.log")), "X") << "nothing typed before went out";
}

TEST_F(TerminalTest, SendFileShowsEscForItsEscBytesAndTheBoardAnswers)
{
    ASSERT_TRUE(startOn());
    openTerminal();
    ASSERT_TRUE(connectLine());
    const QByteArray bytes("A\x1b[1}B\0C", 8);
    files = {{writeFile(QStringLiteral("query.bin"), bytes)}};
    QTest::mouseClick(terminal->sendFileButton(), Qt::LeftButton);
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].kind, FileRequest::Kind::Open);
    EXPECT_EQ(shown(), "A<ESC>[1}BC");
    EXPECT_EQ(wire(bytes.size()), bytes) << "every byte, the zero byte included";
    // The identification query inside the file brings the board's answer.
    EXPECT_TRUE(QTest::qWaitFor([&] { return received().contains("ZUVO v4"); }, 5000))
        << received().toStdString();
    EXPECT_TRUE(received().endsWith('\n'));
    EXPECT_FALSE(received().contains('\r'));
}

TEST_F(TerminalTest, SendFileThatCannotBeReadSaysWhyAndSendsNothing)
{
    ASSERT_TRUE(startOn());
    openTerminal();
    ASSERT_TRUE(connectLine());
    files = {{dir.filePath(QStringLiteral("missing.bin"))}, {QString()}};
    terminal->sendFile();
    terminal->sendFile(); // cancelled
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "ZUVO Kernwick");
    EXPECT_FALSE(boxes[0].text.isEmpty());
    EXPECT_TRUE(shown().isEmpty());
    QTest::keyClicks(terminal->transmitBox(), "z");
    EXPECT_EQ(wire(1), "z");
}

TEST_F(TerminalTest, ReceivedBytesShowInOrderWithoutZeroBytes)
{
    PseudoTerminal line;
    ASSERT_TRUE(line.isValid());
    makeWindow(line.slavePath());
    openTerminal();
    ASSERT_TRUE(connectLine());
    ASSERT_TRUE(line.write(QByteArray("a\0b\r\nc\x1b", 7)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received().size() >= 5; }, 5000));
    EXPECT_EQ(received(), QStringLiteral("ab\nc\x1b")) << "ESC is not rendered specially";
    // A CR LF pair split between two pieces is still one line end.
    ASSERT_TRUE(line.write("\r"));
    QTest::qWait(50);
    ASSERT_TRUE(line.write("\nd"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received().endsWith('d'); }, 5000));
    EXPECT_EQ(received(), QStringLiteral("ab\nc\x1b\nd"));

    // A long stream arrives whole and in order, wherever the user clicked.
    QTextCursor start(terminal->receiveBox()->document());
    terminal->receiveBox()->setTextCursor(start);
    QByteArray stream;
    for (int i = 0; i < 3000; ++i)
        stream += QByteArray::number(i) + ' ';
    ASSERT_TRUE(line.write(stream));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received().endsWith("2999 "); }, 10000));
    EXPECT_EQ(received(), QStringLiteral("ab\nc\x1b\nd") + QString::fromLatin1(stream));
}

TEST_F(TerminalTest, QuitAndTheCloseBoxCloseThePortAndTheNextOpeningStartsAfresh)
{
    ASSERT_TRUE(startOn());
    for (const bool closeBox : {false, true}) {
        openTerminal();
        EXPECT_EQ(terminal->connectButton()->text(), "Connect");
        EXPECT_TRUE(shown().isEmpty());
        EXPECT_TRUE(received().isEmpty());
        ASSERT_TRUE(connectLine());
        ASSERT_TRUE(heldOpen(sim.device()));
        EXPECT_TRUE(serial().isBusy()) << "no download while connected";
        EXPECT_FALSE(actions().downloadFontMain->isEnabled());
        QTest::keyClicks(terminal->transmitBox(), "q");
        if (closeBox)
            EXPECT_TRUE(terminal->close());
        else
            QTest::mouseClick(terminal->quitButton(), Qt::LeftButton);
        EXPECT_FALSE(terminal->isVisible());
        EXPECT_EQ(terminal->result(), QDialog::Accepted);
        EXPECT_FALSE(heldOpen(sim.device()));
        EXPECT_FALSE(serial().isBusy());
        EXPECT_TRUE(actions().downloadFontMain->isEnabled());
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
}

TEST_F(TerminalTest, DisconnectClosesThePortAndConnectOpensItAgain)
{
    ASSERT_TRUE(startOn());
    openTerminal();
    ASSERT_TRUE(connectLine());
    QTest::mouseClick(terminal->connectButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return terminal->connectButton()->text() == "Connect" && !serial().isBusy(); },
        5000));
    EXPECT_FALSE(terminal->isConnected());
    EXPECT_FALSE(heldOpen(sim.device()));
    QTest::keyClicks(terminal->transmitBox(), "a");
    ASSERT_TRUE(connectLine());
    QTest::keyClicks(terminal->transmitBox(), "b");
    EXPECT_EQ(wire(1), "b");
}

TEST_F(TerminalTest, APortThatDoesNotOpenIsNamedWithTheReasonAndTheButtonStaysConnect)
{
    makeWindow(QStringLiteral("/nonexistent/ttyZ0"));
    SerialSelection chosen;
    chosen.portName = QStringLiteral("com1");
    serial().setSelection(chosen);
    openTerminal();
    terminal->toggleConnection();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("OpenPort failed\ncom1 (/nonexistent/ttyZ0): "))
        << messages[0].toStdString();
    EXPECT_GT(messages[0].size(), QString("OpenPort failed\ncom1 (/nonexistent/ttyZ0): ").size())
        << "the reason";
    EXPECT_FALSE(serial().isBusy()) << "nothing was started";
    EXPECT_EQ(terminal->connectButton()->text(), "Connect");
    EXPECT_TRUE(terminal->connectButton()->isEnabled());
    EXPECT_FALSE(terminal->isConnected());
    EXPECT_TRUE(terminal->statusLine()->text().endsWith("not connected"));
}

TEST_F(TerminalTest, ALineThatVanishesEndsTheConnectionAndSaysSo)
{
    ASSERT_TRUE(startOn({QStringLiteral("--hangup-after"), QStringLiteral("3")}));
    openTerminal();
    ASSERT_TRUE(connectLine());
    QTest::keyClicks(terminal->transmitBox(), "abcd");
    ASSERT_TRUE(waitUntilIdle(5000));
    EXPECT_EQ(messages, QStringList{"The line to com1 was lost"});
    EXPECT_EQ(terminal->connectButton()->text(), "Connect");
    EXPECT_FALSE(terminal->isConnected());
}

TEST_F(TerminalTest, TheTerminalIsNotModalAndHoldsThePortOnlyWhileConnected)
{
    ASSERT_TRUE(startOn({QStringLiteral("--reply-delay-ms"), QStringLiteral("200")}));
    window->show();
    ASSERT_TRUE(actions().terminal->isEnabled());
    actions().terminal->trigger();
    EXPECT_EQ(dialogs, 0) << "not run as a modal dialog";
    const QPointer<TerminalDialog> shownTerminal = serial().dialogs().terminal();
    ASSERT_FALSE(shownTerminal.isNull());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(shownTerminal));
    EXPECT_FALSE(shownTerminal->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(shownTerminal->quitButton()->isDefault());
    EXPECT_EQ(shownTerminal->windowTitle(), "Terminal - com1 at 9600 baud - not connected");
    EXPECT_EQ(shownTerminal->statusLine()->text(), "com1 at 9600 baud: not connected");

    // The main window stays usable: a font command and the serial choices work.
    actions().action(EditOperation::InsertRow)->trigger();
    EXPECT_TRUE(window->document().isModified());
    actions().bauds[6]->trigger();
    EXPECT_EQ(shownTerminal->windowTitle(), "Terminal - com1 at 115200 baud - not connected");
    actions().terminal->trigger();
    EXPECT_EQ(serial().dialogs().terminal(), shownTerminal.data()) << "one terminal";

    // Connected, it holds the port: the port commands are greyed until it lets go.
    QTest::mouseClick(shownTerminal->connectButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownTerminal->isConnected(); }, 5000));
    EXPECT_EQ(shownTerminal->windowTitle(), "Terminal - com1 at 115200 baud - connected");
    for (QAction *entry : {actions().testCom, actions().downloadFontMain, actions().terminal})
        EXPECT_FALSE(entry->isEnabled()) << entry->text().toStdString();
    QTest::mouseClick(shownTerminal->connectButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_TRUE(actions().testCom->isEnabled());

    // A download holds the port: the terminal cannot connect until it has ended.
    actions().testCom->trigger();
    ASSERT_TRUE(serial().isBusy());
    EXPECT_FALSE(shownTerminal->connectButton()->isEnabled());
    EXPECT_TRUE(shownTerminal->statusLine()->text().contains("in use"));
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_TRUE(shownTerminal->connectButton()->isEnabled());

    QTest::mouseClick(shownTerminal->quitButton(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownTerminal.isNull(); }, 5000))
        << "a quit terminal goes";
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
}

struct LineEndCase : NamedCase
{
    const char *choice;
    QByteArray wire;
};

class LineEnds : public TerminalTest, public ::testing::WithParamInterface<LineEndCase>
{
};

TEST_P(LineEnds, EnterSendsTheChosenLineEndAndTheChoiceIsKept)
{
    ASSERT_TRUE(startOn());
    openTerminal();
    EXPECT_EQ(terminal->lineEndBox()->currentText(), "CR LF") << "as a first run has it";
    terminal->lineEndBox()->setCurrentText(QString::fromLatin1(GetParam().choice));
    ASSERT_TRUE(connectLine());
    QTest::keyClicks(terminal->transmitBox(), "a");
    QTest::keyClick(terminal->transmitBox(), Qt::Key_Return);
    QTest::keyClicks(terminal->transmitBox(), "b");
    EXPECT_EQ(wire(GetParam().wire.size()), GetParam().wire);
    EXPECT_EQ(shown(), "a\nb");

    // The next terminal starts with the choice.
    QTest::mouseClick(terminal->quitButton(), Qt::LeftButton);
    openTerminal();
    EXPECT_EQ(terminal->lineEndBox()->currentText(), GetParam().choice);
}

INSTANTIATE_TEST_SUITE_P(Choices, LineEnds,
                         ::testing::Values(LineEndCase{{"CrLf"}, "CR LF", "a\r\nb"},
                                           LineEndCase{{"Cr"}, "CR", "a\rb"},
                                           LineEndCase{{"Lf"}, "LF", "a\nb"}),
                         CaseName());

// The receive box's line ends, piece by piece.
TEST(ReceivedText, EndsALineAtCrLfOrEitherAloneAndDropsZeroBytes)
{
    ReceivedText text;
    EXPECT_EQ(text.take(QByteArray("a\r\nb\nc\rd", 8)), "a\nb\nc\nd");
    EXPECT_EQ(text.take("\n\r"), "\n\n");
    EXPECT_EQ(text.take(QByteArray("\0\n", 2)), "") << "the LF of a pair split by a zero byte";
    EXPECT_EQ(text.take("\xff"), QStringLiteral("\u00ff"));
}
