// The Bootscript Editor: its field's visible control characters, the insert
// buttons, Enter, Load File and Save File, and Download against zuvo-sim.

#include "boardwindowtest.h"
#include "config/bootscripteditor.h"
#include "config/scriptedit.h"
#include "config/scripttext.h"
#include "namedcase.h"
#include "qtprinters.h"
#include "testapplication.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextDocument>

KERNWICK_TEST_APPLICATION(QApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

// How the field shows a script's bytes, and that they come back unchanged.
struct ShownCase : NamedCase
{
    QByteArray bytes;
    QString shown;
};

class ScriptShown : public ::testing::TestWithParam<ShownCase>
{
};

// Text typed or pasted into the field, in the form the field shows.
struct TypedCase : NamedCase
{
    QString typed;
    QString shown;
    QByteArray bytes;
};

class ScriptTyped : public ::testing::TestWithParam<TypedCase>
{
};

const QString esc(QChar(0x241B));

} // namespace

TEST_P(ScriptShown, ShowsControlBytesVisiblyAndGivesTheBytesBack)
{
    const ShownCase &c = GetParam();
    EXPECT_EQ(scriptDisplayText(c.bytes), c.shown);
    EXPECT_EQ(scriptBytes(c.shown), c.bytes);

    ScriptEdit field;
    field.setScript(c.bytes);
    EXPECT_EQ(field.script(), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ScriptShown,
    ::testing::Values(
        ShownCase{"Empty", "", ""}, ShownCase{"EscapeCommand", "\x1b[12;3v", esc + "[12;3v"},
        ShownCase{"CrLfIsALineBreak", "a\r\nb\r\n", "a\nb\n"},
        ShownCase{"LoneCrAndLf", "a\rb\nc\n\r", QStringLiteral("a\u240Db\u240Ac\u240A\u240D")},
        ShownCase{"TabDelAndSoh", QByteArray("\t\x7f\x01", 3),
                  QStringLiteral("\u2409\u2421\u2401")},
        ShownCase{"EightBitCharacters", "\xa0\xe9\xff", QStringLiteral("\u00A0\u00E9\u00FF")},
        ShownCase{"StringMarkers", "\x1bQtext\x1bR", esc + "Qtext" + esc + "R"}),
    CaseName());

TEST_P(ScriptTyped, TakesTypedTextInTheFormItShows)
{
    const TypedCase &c = GetParam();
    EXPECT_EQ(shownScriptText(c.typed), c.shown);

    ScriptEdit field;
    QApplication::clipboard()->setText(c.typed);
    field.paste();
    EXPECT_EQ(field.document()->toRawText().replace(QChar::ParagraphSeparator, u'\n'), c.shown);
    EXPECT_EQ(field.script(), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Pasted, ScriptTyped,
    ::testing::Values(TypedCase{"Plain", "abc", "abc", "abc"},
                      TypedCase{"LineEnds", "a\r\nb\nc", "a\nb\nc", "a\r\nb\r\nc"},
                      TypedCase{"BeyondEightBits", QStringLiteral("a\u20ACb"), "a?b", "a?b"},
                      TypedCase{"ControlCharacters", QStringLiteral("\t\x1b"),
                                QStringLiteral("\u2409\u241B"), "\t\x1b"},
                      TypedCase{"PicturesTyped", QStringLiteral("\u241B[1v"),
                                QStringLiteral("\u241B[1v"), "\x1b[1v"},
                      TypedCase{"NulDropped", QStringLiteral("a\u2400b") + QChar(0), "ab", "ab"}),
    CaseName());

namespace {

class BootscriptEditorTest : public BoardWindowTest
{
protected:
    void SetUp() override
    {
        BoardWindowTest::SetUp();
        if (!HasFailure())
            makeWindow(QStringLiteral("/nonexistent/ttyZ0"));
    }
};

struct InsertCase : NamedCase
{
    int button;
    const char *text;
    QByteArray bytes;
    const char *explanation;
};

class InsertButtons : public BootscriptEditorTest, public ::testing::WithParamInterface<InsertCase>
{
};

} // namespace

TEST_P(InsertButtons, ReplaceTheSelectionAndGiveTheFocusBack)
{
    const InsertCase &c = GetParam();
    BootscriptEditor editor(window.get());
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    ScriptEdit *field = editor.field();
    field->setScript("abcdef");
    QTextCursor selection = field->textCursor();
    selection.setPosition(2);
    selection.setPosition(4, QTextCursor::KeepAnchor);
    field->setTextCursor(selection);
    QTest::keyClicks(field, "X"); // typed over the selection: "abXef"
    selection.setPosition(2);
    selection.setPosition(3, QTextCursor::KeepAnchor);
    field->setTextCursor(selection);
    editor.downloadButton()->setFocus();

    QPushButton *button = editor.insertButton(c.button);
    EXPECT_EQ(button->text(), c.text);
    EXPECT_EQ(editor.explanation(c.button)->text(), c.explanation);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(field->script(), "ab" + c.bytes + "ef");
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(field->textCursor().position(), 2 + scriptDisplayText(c.bytes).size());
    EXPECT_FALSE(field->document()->isUndoAvailable()) << "an insert leaves nothing to undo";
    QTest::keyClicks(field, "g");
    EXPECT_EQ(field->script(), "ab" + c.bytes + "gef") << "typing goes on after the insert";
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, InsertButtons,
    ::testing::Values(InsertCase{"Csi", 0, "Insert <CSI>", "\x1b[",
                                 "Insert Command Sequence Initiator at current cursor position"},
                      InsertCase{"CrLf", 1, "Insert <CR/LF>", "\r\n",
                                 "Insert Carriage Return/Line Feed at current cursor position"},
                      InsertCase{"StringStart", 2, "String Start", "\x1bQ",
                                 "Insert Start Embedded String command at current cursor position"},
                      InsertCase{"StringEnd", 3, "String End", "\x1bR",
                                 "Insert End Embedded String command at current cursor position"}),
    CaseName());

TEST_F(BootscriptEditorTest, EnterInTheFieldPressesExitAndTheTextIsGone)
{
    QStringList seen;
    onDialog = [&](QDialog &dialog) {
        auto &editor = dynamic_cast<BootscriptEditor &>(dialog);
        seen << QString::fromLatin1(editor.field()->script());
        editor.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&editor));
        EXPECT_EQ(editor.windowTitle(), "Bootscript Editor");
        EXPECT_TRUE(editor.exitButton()->isDefault());
        QTest::keyClicks(editor.field(), "abc");
        QTest::keyClick(editor.field(), Qt::Key_Return);
        EXPECT_FALSE(editor.isVisible());
        EXPECT_EQ(editor.field()->script(), "abc") << "no line break was typed";
        return editor.result();
    };
    ASSERT_TRUE(actions().bootscriptEditor->isEnabled());
    actions().bootscriptEditor->trigger();
    actions().bootscriptEditor->trigger();
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(seen, (QStringList{"", ""})) << "each opening starts empty";
}

TEST_F(BootscriptEditorTest, SaveAndLoadGiveBackEscapesAndLineBreaks)
{
    const QByteArray script("\x1b[12;3v\r\nHello \xa0world\r\n\x1bQ12:00\x1bR\r\n\x1b[8v");
    const QString path = dir.filePath(QStringLiteral("boot.zvb"));
    {
        BootscriptEditor editor(window.get());
        editor.field()->setScript(script);
        files = {{path}};
        editor.saveFile();
        ASSERT_EQ(fileRequests.size(), 1u);
        EXPECT_EQ(fileRequests[0].kind, FileRequest::Kind::Save);
        EXPECT_EQ(fileRequests[0].filter, "ZUVO Bootscript Files (*.zvb)");
        EXPECT_EQ(fileRequests[0].defaultSuffix, "zvb");
        EXPECT_EQ(readFile(path), script) << "exactly the bytes, no conversion";
    }
    BootscriptEditor editor(window.get());
    files = {{path}};
    editor.loadFile();
    ASSERT_EQ(fileRequests.size(), 2u);
    EXPECT_EQ(fileRequests[1].kind, FileRequest::Kind::Open);
    EXPECT_EQ(fileRequests[1].filter, "ZUVO Bootscript Files (*.zvb);;All Files (*)");
    EXPECT_EQ(editor.field()->script(), script);
    EXPECT_EQ(editor.field()->document()->blockCount(), 4) << "CR LF shown as line breaks";
    EXPECT_TRUE(editor.field()->document()->toRawText().startsWith(esc + "[12;3v"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();

    // A NUL drops the rest of its 10-byte piece.
    files = {{writeFile(QStringLiteral("nul.zvb"), QByteArray("abc\0defghijklm", 14))}};
    editor.loadFile();
    EXPECT_EQ(editor.field()->script(), "abcjklm");
}

TEST_F(BootscriptEditorTest, FileErrorsShowTheSystemTextAsTitleAndKeepTheField)
{
    BootscriptEditor editor(window.get());
    editor.field()->setScript("kept");
    const QString old = writeFile(QStringLiteral("old.zvb"), "old bytes");

    files = {{dir.filePath(QStringLiteral("missing.zvb"))}};
    editor.loadFile();
    files = {{dir.filePath(QStringLiteral("no/such/folder/new.zvb"))}};
    editor.saveFile();
    files = {{dir.path()}}; // a folder cannot be read as a file
    editor.loadFile();
    const QString huge = writeFile(QStringLiteral("huge.zvb"), QByteArray(10 * 1024 * 1024, 'x'));
    files = {{huge}};
    editor.loadFile();
    files = {{QString()}}; // cancelled
    editor.loadFile();

    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_TRUE(boxes[3].caption.contains(QStringLiteral("huge.zvb")))
        << boxes[3].caption.toStdString();
    for (const MessageRequest &box : boxes) {
        EXPECT_FALSE(box.caption.isEmpty());
        EXPECT_NE(box.caption, "ZUVO Kernwick") << "the system's text is the title";
        EXPECT_TRUE(box.text.isEmpty());
    }
    EXPECT_EQ(editor.field()->script(), "kept");
    EXPECT_EQ(readFile(old), "old bytes");

    // An empty file is an empty script.
    files = {{writeFile(QStringLiteral("empty.zvb"), QByteArray())}};
    editor.loadFile();
    EXPECT_EQ(editor.field()->script(), QByteArray());
    EXPECT_EQ(boxes.size(), 4u);
}

TEST_F(BootscriptEditorTest, CharactersBeyondEightBitsAreShownAsTheQuestionMarkTheySaveAs)
{
    BootscriptEditor editor(window.get());
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    // QTest types only Latin-1: the euro sign goes as a key event of its own.
    QTest::keyClicks(editor.field(), "a");
    QKeyEvent euro(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("\u20AC"));
    QApplication::sendEvent(editor.field(), &euro);
    QTest::keyClicks(editor.field(), "b");
    EXPECT_EQ(editor.field()->toPlainText(), "a?b");
    EXPECT_EQ(editor.field()->script(), "a?b");
    QTest::keyClick(editor.field(), Qt::Key_Tab);
    EXPECT_EQ(editor.field()->script(), "a?b") << "Tab moves the focus";
    EXPECT_FALSE(editor.field()->hasFocus());
}

namespace {

class BootscriptDownload : public BoardWindowTest
{
};

} // namespace

TEST_F(BootscriptDownload, SendsTheFieldToTheBoardWhileTheEditorStaysOpen)
{
    ASSERT_TRUE(startOn());
    const QByteArray script("\x1b[2;1v\r\nZUVO\x1bQ\x1bR\r\n", 17);
    QPointer<DownloadDialog> shown;
    onDialog = [&](QDialog &dialog) {
        auto &editor = dynamic_cast<BootscriptEditor &>(dialog);
        editor.show();
        editor.field()->setScript(script);
        QTest::mouseClick(editor.downloadButton(), Qt::LeftButton);
        shown = progress();
        EXPECT_NE(shown, nullptr);
        if (!shown)
            return int(QDialog::Rejected);
        EXPECT_EQ(shown->parentWidget(), &editor) << "in front of the modal editor";
        EXPECT_TRUE(shown->isVisible());
        EXPECT_EQ(shown->fileLine(), "Downloading boot script");
        EXPECT_EQ(shown->portLine(), "on com1");
        EXPECT_EQ(shown->progressMaximum(), 10);
        EXPECT_FALSE(editor.downloadButton()->isEnabled()) << "one conversation at a time";
        EXPECT_FALSE(actions().bootscriptEditor->isEnabled());
        EXPECT_TRUE(waitUntilIdle());
        EXPECT_TRUE(editor.downloadButton()->isEnabled());
        QTest::mouseClick(editor.exitButton(), Qt::LeftButton);
        return editor.result();
    };
    actions().bootscriptEditor->trigger();
    ASSERT_FALSE(shown.isNull()) << "the progress dialog outlives the editor";
    EXPECT_EQ(shown->parentWidget(), window.get());
    EXPECT_TRUE(shown->isVisible()) << "kept until Done";
    EXPECT_TRUE(shown->logText().endsWith(
        "\nZUVO detected\nSending boot script\nSetting boot script\nSaving configuration\nBoot "
        "script download complete\n"))
        << shown->logText().toStdString();
    EXPECT_EQ(shown->progressValue(), 10);
    EXPECT_EQ(simFile(QStringLiteral("bootscript.bin"), script.size()), script);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    EXPECT_FALSE(heldOpen(sim.device()));
    EXPECT_TRUE(actions().bootscriptEditor->isEnabled());
}

TEST_F(BootscriptDownload, AnEmptyFieldGoesAsTheFrameAndTheTwoCommands)
{
    ASSERT_TRUE(startOn());
    BootscriptEditor editor(window.get());
    QObject::connect(&editor, &BootscriptEditor::downloadRequested, &editor,
                     [&](const QByteArray &script) {
                         serial().downloads().downloadBootScript(script, &editor);
                     });
    editor.show();
    QTest::mouseClick(editor.downloadButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntilIdle());
    const QByteArray wire = simFile(QStringLiteral("wire.log"), 16);
    EXPECT_TRUE(wire.endsWith("\x1bX\x1b\\\x1b[8v\x1b[1v")) << wire.toStdString();
    ASSERT_NE(progress(), nullptr);
    EXPECT_TRUE(progress()->logText().endsWith("Boot script download complete\n"));
}
