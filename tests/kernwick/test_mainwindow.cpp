// The main window: its menus and their states, the file commands and their mends,
// and Test com against the simulator.

#include "app/filecontroller.h"
#include "app/helptopics.h"
#include "app/mainactions.h"
#include "app/mainwindow.h"
#include "app/recentfiles.h"
#include "app/serialcontroller.h"
#include "clirun.h"
#include "editor/applyrangedialog.h"
#include "editor/editorview.h"
#include "editor/gotocharacterdialog.h"
#include "editor/importfontdialog.h"
#include "editor/newfontdialog.h"
#include "editor/previewpane.h"
#include "editor/typefacedialog.h"
#include "qtprinters.h"
#include "simulator.h"
#include "smallfilesystem.h"
#include "testapplication.h"
#include "useranswers.h"
#include "widgets/messages.h"
#include "widgets/settings.h"
#include "widgets/spinfield.h"

#include "libkernwick/font/document.h"
#include "libkernwick/font/zvffile.h"
#include "libkernwick/render/glyphsheetimage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <set>
#include <unistd.h>

KERNWICK_TEST_APPLICATION(QApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

// A main window whose prompts are answered by the test.
class MainWindowTest : public ::testing::Test, protected UserAnswers
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        makeWindow(PortTable::fromDevices({}));
    }
    void TearDown() override { window.reset(); }
    void makeWindow(PortTable ports)
    {
        window.reset();
        window = std::make_unique<MainWindow>(std::move(ports));
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QByteArray read(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void saveFont(const QString &name, Font font) const
    {
        QString error;
        ASSERT_TRUE(saveZvfFile(path(name), font, &error)) << error.toStdString();
    }
    MainActions &actions() { return window->actions(); }
    Document &document() { return window->document(); }
    QAction *edit(EditOperation op) { return actions().action(op); }
    QMenu *menu(const QString &title)
    {
        for (QAction *entry : window->menuBar()->actions())
            if (entry->text() == title)
                return entry->menu();
        return nullptr;
    }
    static QStringList texts(const QMenu *menu)
    {
        QStringList list;
        for (const QAction *entry : menu->actions())
            list << (entry->isSeparator() ? QStringLiteral("|") : entry->text());
        return list;
    }

    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window;
};

// Accepts the New Font Properties dialog as it opens.
int acceptDialog(QDialog &dialog)
{
    dialog.accept();
    return dialog.result();
}

} // namespace

TEST_F(MainWindowTest, TheMenusHoldEveryEntryInTheirOrder)
{
    QStringList titles;
    for (const QAction *entry : window->menuBar()->actions())
        titles << entry->text();
    EXPECT_EQ(titles,
              (QStringList{"&File", "&Edit", "&View", "&Color", "&Serial", "&Help", "&Debug"}));
    const QStringList file = texts(menu("&File"));
    EXPECT_EQ(file.mid(0, 12), (QStringList{"&New", "&Open...", "Import BDF &Font", "Import &Image",
                                            "Concatenate Fonts", "Import &Typeface...",
                                            "Import &Glyph Sheet...", "&Export Glyph Sheet...",
                                            "Export &BDF Font...", "&Save", "Save &As...", "|"}));
    EXPECT_EQ(file.mid(12, 4),
              (QStringList{"&Print...", "P&rint Setup...", "Print Pre&view...", "|"}));
    EXPECT_EQ(file.last(), "E&xit");
    EXPECT_EQ(texts(menu("&Edit")),
              (QStringList{"&Undo", "&Redo", "|", "Cu&t", "&Copy", "&Paste", "Clear", "&Insert...",
                           "&Delete...", "&Move", "T&ransform", "Pixel Depth", "&Tool", "Font Name",
                           "|", "&Go to Character...", "Apply to &Range..."}));
    EXPECT_EQ(texts(menu("&View")),
              (QStringList{"&Toolbar", "&Status Bar", "Font Parameters", "|", "Text &Preview",
                           "Glyph &Labels", "|", "Zoom &In", "Zoom &Out", "&Actual Size"}));
    const QMenu *transform = nullptr;
    for (const QAction *entry : menu("&Edit")->actions())
        if (entry->text() == "T&ransform")
            transform = entry->menu();
    ASSERT_TRUE(transform);
    EXPECT_EQ(texts(transform),
              (QStringList{"Flip &Horizontal", "Flip &Vertical",
                           QString::fromUtf8("Rotate 90\u00B0 &Clockwise"),
                           QString::fromUtf8("Rotate 90\u00B0 &Anticlockwise"), "&Invert"}));
    EXPECT_EQ(texts(menu("&Color")), (QStringList{"&Transparent", "&White", "&Halftone"}));
    EXPECT_EQ(texts(menu("&Serial")),
              (QStringList{"&Port", "&Baud Rate", "&Download", "&Show Download",
                           "Download to Many Boards...", "Terminal", "Bootscript Editor",
                           "Configuration Editor", "Setup Editor"}));
    EXPECT_EQ(texts(menu("&Help")), (QStringList{"&Help Topics", "|", "&About ZUVO Kernwick..."}));
    EXPECT_EQ(texts(menu("&Debug")),
              (QStringList{"Export", "load", "mod", "Test com", "X2", "filesize"}));

    EXPECT_EQ(actions().undo->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Z),
                                   QKeySequence(Qt::ALT | Qt::Key_Backspace)}));
    EXPECT_EQ(actions().redo->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Y),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
    EXPECT_EQ(edit(EditOperation::Cut)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_X),
                                   QKeySequence(Qt::SHIFT | Qt::Key_Delete)}));
    EXPECT_EQ(edit(EditOperation::White)->statusTip(), "White ");
    EXPECT_EQ(edit(EditOperation::MoveDown)->toolTip(), "Move image down");
    EXPECT_EQ(window->windowTitle(), "Untitled[*] - ZUVO Kernwick");
    EXPECT_EQ(window->size(), QSize(780, 550));
}

TEST_F(MainWindowTest, EntriesFollowTheDepthTheClipboardAndTheHistory)
{
    using Op = EditOperation;
    window->updateCommands();
    for (const Op op : {Op::Halftone, Op::Outline, Op::To1Bpp, Op::Paste})
        EXPECT_FALSE(edit(op)->isEnabled()) << int(op);
    EXPECT_TRUE(edit(Op::To2Bpp)->isEnabled());
    EXPECT_TRUE(edit(Op::White)->isChecked());
    EXPECT_FALSE(actions().undo->isEnabled());

    edit(Op::Copy)->trigger();
    EXPECT_TRUE(edit(Op::Paste)->isEnabled());
    edit(Op::To2Bpp)->trigger();
    for (const Op op : {Op::Halftone, Op::Outline, Op::To1Bpp})
        EXPECT_TRUE(edit(op)->isEnabled()) << int(op);
    EXPECT_FALSE(edit(Op::To2Bpp)->isEnabled());
    EXPECT_TRUE(actions().undo->isEnabled());
    EXPECT_EQ(actions().undo->text(), "&Undo 1BPP->2BPP");
    edit(Op::Halftone)->trigger();
    EXPECT_EQ(window->view().state().paintValue, 1);
    EXPECT_TRUE(edit(Op::Halftone)->isChecked());
    actions().undo->trigger();
    EXPECT_EQ(document().font().header.ldepth, 0);
    EXPECT_FALSE(edit(Op::Halftone)->isEnabled());
    EXPECT_TRUE(actions().redo->isEnabled());
    EXPECT_TRUE(actions().bauds[3]->isChecked()) << "9600 at start-up";
    for (QAction *dialog : {actions().terminal, actions().bootscriptEditor,
                            actions().configurationEditor, actions().setupEditor})
        EXPECT_TRUE(dialog->isEnabled()) << dialog->text().toStdString();
    for (QAction *download :
         {actions().downloadFontMain, actions().downloadFontDebug, actions().downloadFirmwareMain,
          actions().downloadFirmwareDebug, actions().downloadFirmwareRepair})
        EXPECT_TRUE(download->isEnabled()) << "offered even without a port, which then fails";
    for (QAction *built :
         {actions().print, actions().printSetup, actions().printPreview, actions().importImage})
        EXPECT_TRUE(built->isEnabled()) << built->text().toStdString();
    EXPECT_FALSE(actions().unassigned->isEnabled());
}

TEST_F(MainWindowTest, AChangeTooLargeToUndoAsksWhetherToGoOn)
{
    using Op = EditOperation;
    edit(Op::InsertColumn)->trigger();
    document().setHistoryByteLimit(sizeof(EditStep) + 16); // less than a row of the font
    const Font before = document().font();

    answers = {MessageAnswer::No};
    edit(Op::DeleteRow)->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "This change is too large to be undone. Go on?");
    EXPECT_TRUE(boxes[0].yesNo);
    EXPECT_EQ(boxes[0].icon, MessageIcon::Question);
    EXPECT_TRUE(document().font() == before);
    EXPECT_EQ(actions().undo->text(), "&Undo Insert Column");

    answers = {MessageAnswer::Yes};
    edit(Op::DeleteRow)->trigger();
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(document().font().header.height, before.header.height - 1);
    EXPECT_FALSE(actions().undo->isEnabled()) << "the history is forgotten";
    EXPECT_TRUE(document().isModified());
}

TEST_F(MainWindowTest, PortEntriesShowWhatTheProbeFound)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    makeWindow(PortTable::fromDevices({QStringLiteral("/nonexistent/ttyZ0"), sim.device()}));
    EXPECT_FALSE(actions().ports[0]->isEnabled());
    EXPECT_TRUE(actions().ports[1]->isEnabled());
    EXPECT_TRUE(actions().ports[1]->isChecked()) << "the first present of com1 to com8";
    EXPECT_TRUE(actions().ports[1]->statusTip().contains(sim.device()));
    EXPECT_EQ(window->serial().selection().portName, "com2");
    actions().bauds[6]->trigger();
    EXPECT_EQ(window->serial().selection().baudRate, 115200);
    EXPECT_TRUE(actions().bauds[6]->isChecked());
    EXPECT_FALSE(actions().bauds[3]->isChecked());
}

TEST_F(MainWindowTest, TestComWritesHelloThereOffTheWindowsThread)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    makeWindow(PortTable::fromDevices({sim.device()}));
    QSignalSpy busy(&window->serial(), &SerialController::busyChanged);
    actions().testCom->trigger();
    EXPECT_TRUE(window->serial().isBusy());
    EXPECT_FALSE(actions().testCom->isEnabled()) << "one conversation at a time";
    ASSERT_TRUE(busy.wait(10000));
    if (busy.size() < 2) {
        ASSERT_TRUE(busy.wait(10000));
    }
    EXPECT_FALSE(window->serial().isBusy());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    QByteArray wire;
    for (int i = 0; i < 100 && wire.size() < 12; ++i) {
        QTest::qWait(20);
        wire = sim.stateFile(QStringLiteral("wire.log"));
    }
    EXPECT_EQ(wire, "Hello there!");
}

TEST_F(MainWindowTest, PortsAreProbedAgainWhenThePortMenuOpensAndBeforeEachCommand)
{
    // com1 is a name the test points at the simulator once it runs, as an adapter
    // plugged in after start-up appears; com2 never has a device.
    const QString later = path("ttyLater");
    makeWindow(PortTable::fromDevices({later, path("ttyNever")}));
    const QString noPort = QStringLiteral(
        "No serial port is available. Connect the board and choose it under Serial > Port.");
    EXPECT_FALSE(actions().ports[0]->isEnabled());
    EXPECT_TRUE(window->serial().selection().portName.isEmpty());

    // A port command without a usable port says so and opens nothing.
    QSignalSpy busy(&window->serial(), &SerialController::busyChanged);
    for (QAction *command : {actions().testCom, actions().downloadFontMain,
                             actions().downloadFirmwareRepair, actions().terminal}) {
        messages.clear();
        command->trigger();
        EXPECT_EQ(messages, QStringList{noPort}) << command->text().toStdString();
    }
    EXPECT_EQ(busy.size(), 0);
    EXPECT_EQ(dialogs, 0) << "no memory device dialog, no terminal";
    EXPECT_TRUE(fileRequests.empty());
    EXPECT_TRUE(window->findChildren<QDialog *>().isEmpty());

    // The board comes: the Port menu shows it and chooses it.
    Simulator sim;
    ASSERT_TRUE(sim.start());
    ASSERT_TRUE(QFile::link(sim.device(), later));
    QMenu *port = nullptr;
    for (QAction *entry : menu("&Serial")->actions())
        if (entry->text() == "&Port")
            port = entry->menu();
    ASSERT_NE(port, nullptr);
    emit port->aboutToShow();
    EXPECT_TRUE(actions().ports[0]->isEnabled());
    EXPECT_TRUE(actions().ports[0]->isChecked());
    EXPECT_FALSE(actions().ports[1]->isEnabled());
    EXPECT_EQ(window->serial().selection().portName, "com1");

    // And it is gone again: Test com finds that out itself.
    ASSERT_TRUE(QFile::remove(later));
    messages.clear();
    actions().testCom->trigger();
    EXPECT_EQ(messages, QStringList{noPort});
    EXPECT_FALSE(actions().ports[0]->isEnabled());
    EXPECT_EQ(busy.size(), 0);
}

TEST_F(MainWindowTest, CancelAtTheSavePromptStopsNewAndImport)
{
    edit(EditOperation::InsertRow)->trigger();
    const Font edited = document().font();
    answers = {MessageAnswer::Cancel, MessageAnswer::Cancel, MessageAnswer::Cancel,
               MessageAnswer::Cancel};
    actions().newFont->trigger();
    actions().importBdf->trigger();
    actions().importTypeface->trigger();
    actions().importSheet->trigger();
    EXPECT_EQ(messages, QStringList(4, "Save changes to Untitled?"));
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(fileRequests.empty());
    EXPECT_EQ(document().font(), edited);
    EXPECT_TRUE(document().isModified());
}

TEST_F(MainWindowTest, NewGivesAnUntitledFontThatSaveDoesNotWriteOverTheOldFile)
{
    saveFont("old.zvf", defaultFont());
    const QByteArray old = read("old.zvf");
    ASSERT_TRUE(window->files().openPath(path("old.zvf")));
    EXPECT_EQ(window->windowTitle(), "old.zvf[*] - ZUVO Kernwick");
    onDialog = acceptDialog;
    actions().newFont->trigger();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(document().font().nameText(), "newfont");
    EXPECT_EQ(window->windowTitle(), "Untitled[*] - ZUVO Kernwick");

    actions().save->trigger(); // asks for a name; cancelled
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].kind, FileRequest::Kind::Save);
    EXPECT_EQ(read("old.zvf"), old);
}

TEST_F(MainWindowTest, SaveAsAdoptsTheNewFile)
{
    saveFont("a.zvf", defaultFont());
    ASSERT_TRUE(window->files().openPath(path("a.zvf")));
    edit(EditOperation::InsertRow)->trigger();
    files = {{path("b.zvf")}};
    actions().saveAs->trigger();
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].filter, "ZUVO Font Files (*.zvf)");
    EXPECT_EQ(fileRequests[0].defaultSuffix, "zvf");
    EXPECT_TRUE(fileRequests[0].confirmOverwrite);
    EXPECT_EQ(document().title(), "b.zvf");
    EXPECT_FALSE(document().isModified());
    EXPECT_EQ(window->recentFiles().files().first(), path("b.zvf"));

    const QByteArray a = read("a.zvf");
    edit(EditOperation::InsertRow)->trigger();
    actions().save->trigger();
    EXPECT_EQ(read("a.zvf"), a) << "Save now writes the adopted file";
    Font back;
    QString error;
    ASSERT_EQ(loadZvfFile(path("b.zvf"), &back, &error), ZvfRead::Ok);
    EXPECT_EQ(back.header.height, 16);
}

TEST_F(MainWindowTest, AnEmptyOrDamagedFileIsRefusedAndChangesNothing)
{
    write("empty.zvf", "");
    write("short.zvf", QByteArray(40, '\x7f'));
    edit(EditOperation::InsertRow)->trigger();
    const Font edited = document().font();
    for (const char *name : {"empty.zvf", "short.zvf"}) {
        messages.clear();
        EXPECT_FALSE(window->files().openPath(path(QString::fromLatin1(name))));
        EXPECT_EQ(messages, QStringList{"Unexpected file format."});
        EXPECT_EQ(document().font(), edited);
        EXPECT_EQ(document().title(), "Untitled");
        EXPECT_TRUE(document().isModified());
    }
    messages.clear();
    EXPECT_FALSE(window->files().openPath(path("missing.zvf")));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("Cannot find this file."));
}

TEST_F(MainWindowTest, OpenEditSaveGivesTheBytesTheCommandLineWrites)
{
    saveFont("in.zvf", defaultFont());
    ASSERT_TRUE(window->files().openPath(path("in.zvf")));
    window->view().selectGlyph(33);
    edit(EditOperation::InsertColumn)->trigger();
    edit(EditOperation::InsertRow)->trigger();
    edit(EditOperation::To2Bpp)->trigger();
    actions().save->trigger();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();

    QFile::copy(path("in.zvf"), path("saved.zvf"));
    saveFont("fresh.zvf", defaultFont());
    const CliResult made = runCli({"transform", path("fresh.zvf"), "-o", path("cli.zvf"),
                                   "select=65", "insert-column", "insert-row", "to-2bpp"});
    ASSERT_EQ(made.exitCode, 0) << made.err.constData();
    EXPECT_EQ(read("saved.zvf"), read("cli.zvf"));

    // Reopened, it is the same font.
    ASSERT_TRUE(window->files().openPath(path("saved.zvf")));
    EXPECT_EQ(document().font().header.ldepth, 1);
    EXPECT_EQ(document().font().glyphs[33].width, 9);
}

TEST_F(MainWindowTest, AFailedSaveReportsAndLeavesTheDiskAlone)
{
    saveFont("kept.zvf", defaultFont());
    ASSERT_TRUE(window->files().openPath(path("kept.zvf")));
    const QByteArray kept = read("kept.zvf");
    edit(EditOperation::InsertRow)->trigger();
    // A folder that cannot be written, even by root: its "folder" is a file.
    write("plain", "x");
    files = {{path("plain/f.zvf")}};
    actions().saveAs->trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Failed to save document.") ||
                messages[0].startsWith("Unable to write to"))
        << messages[0].toStdString();
    EXPECT_EQ(read("kept.zvf"), kept);
    EXPECT_EQ(read("plain"), "x");
    EXPECT_TRUE(document().isModified());
    EXPECT_EQ(document().title(), "kept.zvf");

    if (::geteuid() != 0) { // a read-only file holds only for other users than root
        QFile::setPermissions(path("kept.zvf"), QFile::ReadOwner);
        messages.clear();
        actions().save->trigger();
        EXPECT_EQ(messages, QStringList{"Unable to write to " + path("kept.zvf") +
                                        ", it is read-only or opened by someone else."});
        EXPECT_EQ(read("kept.zvf"), kept);
    }
}

TEST_F(MainWindowTest, ASaveOnAFullDiskSaysSoAndKeepsTheOldFile)
{
    SmallFileSystem disk(16);
    if (!disk.isMounted())
        GTEST_SKIP() << "cannot mount a small file system here (needs root)";
    Font font = defaultFont();
    QString error;
    ASSERT_TRUE(saveZvfFile(disk.path("f.zvf"), font, &error)) << error.toStdString();
    ASSERT_TRUE(window->files().openPath(disk.path("f.zvf")));
    QFile file(disk.path("f.zvf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray kept = file.readAll();
    disk.fill();

    edit(EditOperation::InsertRow)->trigger();
    actions().save->trigger();
    EXPECT_EQ(messages, QStringList{"Destination disk drive is full."});
    ASSERT_TRUE(file.seek(0));
    EXPECT_EQ(file.readAll(), kept);
    EXPECT_TRUE(document().isModified());
}

TEST_F(MainWindowTest, ConcatenateAsksBeforeReplacingAndKeepsTheOutputOnFailure)
{
    saveFont("a.zvf", defaultFont());
    saveFont("b.zvf", defaultFont());
    QFile::setPermissions(path("b.zvf"), QFile::ReadOwner); // read-only inputs are fine
    write("joined.zvf", "old");
    files = {{path("a.zvf"), path("b.zvf")}, {path("joined.zvf")}};
    actions().concatenate->trigger();
    ASSERT_EQ(fileRequests.size(), 2u);
    EXPECT_EQ(fileRequests[0].kind, FileRequest::Kind::OpenMany);
    EXPECT_TRUE(fileRequests[1].confirmOverwrite);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    EXPECT_EQ(read("joined.zvf").size(), 2 * 1952);

    const QByteArray joined = read("joined.zvf");
    files = {{path("a.zvf"), path("missing.zvf")}, {path("joined.zvf")}};
    actions().concatenate->trigger();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(read("joined.zvf"), joined);
}

TEST_F(MainWindowTest, ABdfImportReplacesTheFontWithLeftMarkersAtZero)
{
    Font marked = defaultFont();
    for (Glyph &g : marked.glyphs)
        g.left = 3;
    document().takeImportedFont(marked);
    files = {{testData(QStringLiteral("bdf/sample.bdf"))}};
    onDialog = [](QDialog &dialog) {
        auto &import = static_cast<ImportFontDialog &>(dialog);
        EXPECT_EQ(import.nameEdit()->text(), "sample");
        dialog.accept();
        return dialog.result();
    };
    actions().importBdf->trigger();
    ASSERT_EQ(dialogs, 1);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    const Font &font = document().font();
    EXPECT_EQ(font.nameText(), "sample");
    EXPECT_EQ(font.header.height, 16);
    for (const Glyph &g : font.glyphs)
        EXPECT_EQ(g.left, 0);
    EXPECT_EQ(document().title(), "Untitled");
    EXPECT_TRUE(document().isModified()) << "the import is in no file yet";
    EXPECT_EQ(window->view().state().currentCode, font.header.first);
}

TEST_F(MainWindowTest, ABdfExportComesBackAsDrawnThroughTheFileMenu)
{
    // A 2BPP font: its white pixels go out as set bits; its two halftone pixels
    // are announced in a box before the file is written, and come back clear.
    Font font = defaultFont();
    font.header.ldepth = 1;
    for (Glyph &g : font.glyphs)
        for (std::uint8_t &p : g.pixels)
            p = p ? font.whiteValue() : 0;
    Font expected = font;
    font.glyphs[4].setPixel(2, 3, 1);
    font.glyphs[5].setPixel(0, 0, 3);
    saveFont("font.zvf", font);
    ASSERT_TRUE(window->files().openPath(path("font.zvf")));

    files = {{path("out.bdf")}};
    actions().exportBdf->trigger();
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].suggestion, path("font.bdf"));
    EXPECT_EQ(fileRequests[0].defaultSuffix, "bdf");
    EXPECT_EQ(
        messages,
        QStringList{"BDF holds one bit per pixel: the font's 2 halftone pixels are left out."});
    ASSERT_TRUE(QFile::exists(path("out.bdf")));

    // Imported with "Keep glyphs as drawn" ticked, every glyph is back in place.
    messages.clear();
    files = {{path("out.bdf")}};
    onDialog = [count = expected.chars()](QDialog &dialog) {
        auto &import = static_cast<ImportFontDialog &>(dialog);
        EXPECT_FALSE(import.asDrawnBox()->isChecked());
        import.asDrawnBox()->setChecked(true);
        import.twoBpp()->setChecked(true);
        import.countToImportField()->setText(QString::number(count));
        dialog.accept();
        return dialog.result();
    };
    actions().importBdf->trigger();
    ASSERT_EQ(dialogs, 1);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    const Font &back = document().font();
    EXPECT_EQ(back.glyphs, expected.glyphs);
    EXPECT_EQ(back.header.first, expected.header.first);
    EXPECT_EQ(back.header.ascent, expected.header.ascent);
    EXPECT_EQ(back.header.ldepth, 1);
}

TEST_F(MainWindowTest, ClosingAModifiedFontAsksAndCancelKeepsTheWindow)
{
    window->show();
    edit(EditOperation::InsertRow)->trigger();
    answers = {MessageAnswer::Cancel};
    EXPECT_FALSE(window->close());
    EXPECT_EQ(messages, QStringList{"Save changes to Untitled?"});
    answers = {MessageAnswer::No};
    EXPECT_TRUE(window->close());
}

TEST_F(MainWindowTest, ImportTypefaceAsksToSaveThenReplacesTheFont)
{
    edit(EditOperation::InsertRow)->trigger();
    answers = {MessageAnswer::No};
    onDialog = [](QDialog &dialog) {
        auto &typeface = static_cast<TypefaceDialog &>(dialog);
        typeface.sourceBox()->setCurrentText(QStringLiteral("DejaVu Sans Mono"));
        typeface.heightField()->setText(QStringLiteral("16"));
        typeface.countField()->setText(QStringLiteral("10"));
        typeface.firstField()->setText(QStringLiteral("48"));
        dialog.accept();
        return dialog.result();
    };
    actions().importTypeface->trigger();
    EXPECT_EQ(messages, QStringList{"Save changes to Untitled?"});
    ASSERT_EQ(dialogs, 1);
    const Font &font = document().font();
    EXPECT_EQ(font.nameText(), "DejaVu Sans");
    EXPECT_EQ(font.header.height, 16);
    EXPECT_EQ(font.header.first, 48);
    EXPECT_EQ(font.chars(), 10);
    EXPECT_EQ(document().title(), "Untitled");
    EXPECT_TRUE(document().isModified()) << "the import is in no file yet";
    EXPECT_EQ(window->view().state().currentCode, 48);

    // Cancel in the dialog leaves the font alone.
    const Font before = document().font();
    answers = {MessageAnswer::No};
    onDialog = {};
    actions().importTypeface->trigger();
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(document().font(), before);
}

TEST_F(MainWindowTest, GlyphSheetsGoOutAndComeBackThroughTheFileMenu)
{
    Font font = defaultFont();
    font.header.ldepth = 1;
    font.glyphs[4].setPixel(2, 3, 3);
    saveFont("font.zvf", font);
    ASSERT_TRUE(window->files().openPath(path("font.zvf")));

    files = {{path("sheet.png")}};
    actions().exportSheet->trigger();
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].suggestion, path("font.png"));
    EXPECT_EQ(fileRequests[0].defaultSuffix, "png");
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    ASSERT_TRUE(QFile::exists(path("sheet.png")));

    document().takeImportedFont(defaultFont());
    files = {{path("sheet.png")}};
    actions().importSheet->trigger();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    EXPECT_EQ(document().font().glyphs[4].pixel(2, 3), 3);
    EXPECT_EQ(document().font().header.ldepth, 1);
    EXPECT_TRUE(document().isModified()) << "the import is in no file yet";
    EXPECT_EQ(document().title(), "Untitled");

    // A picture that is no sheet is refused and the font stays.
    write("plain.png", read("sheet.png").left(40));
    const Font before = document().font();
    answers = {MessageAnswer::No};
    messages.clear();
    files = {{path("plain.png")}};
    actions().importSheet->trigger();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0], "Save changes to Untitled?");
    EXPECT_TRUE(messages[1].startsWith(path("plain.png") + "\n")) << messages[1].toStdString();
    EXPECT_EQ(document().font(), before);
}

TEST_F(MainWindowTest, ExitAfterEachImportAsksToSaveUnderTheFontsName)
{
    Font sheetFont = defaultFont();
    sheetFont.setName("sheet");
    {
        QFile sheet(path("sheet.png"));
        ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
        QString error;
        ASSERT_TRUE(writeGlyphSheet(sheetFont, &sheet, &error)) << error.toStdString();
    }
    write("dots.pbm", "P1\n3 2\n1 0 1\n0 1 0\n");
    struct Import
    {
        const char *name;
        std::function<void()> run;
        QString suggestion;
    };
    const std::vector<Import> imports{
        {"BDF",
         [this] {
             files = {{testData(QStringLiteral("bdf/sample.bdf"))}};
             onDialog = acceptDialog;
             actions().importBdf->trigger();
         },
         "sample.zvf"},
        {"image",
         [this] {
             files = {{path("dots.pbm")}};
             actions().importImage->trigger();
         },
         "default.zvf"},
        {"typeface",
         [this] {
             onDialog = [](QDialog &dialog) {
                 auto &typeface = static_cast<TypefaceDialog &>(dialog);
                 typeface.sourceBox()->setCurrentText(QStringLiteral("DejaVu Sans Mono"));
                 typeface.countField()->setText(QStringLiteral("4"));
                 return acceptDialog(dialog);
             };
             actions().importTypeface->trigger();
         },
         "DejaVu Sans.zvf"},
        {"glyph sheet",
         [this] {
             files = {{path("sheet.png")}};
             actions().importSheet->trigger();
         },
         "sheet.zvf"},
    };
    for (const Import &import : imports) {
        SCOPED_TRACE(import.name);
        makeWindow(PortTable::fromDevices({}));
        window->show();
        messages.clear();
        fileRequests.clear();
        import.run();
        onDialog = {};
        ASSERT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
        ASSERT_TRUE(document().isModified());

        // Exit asks; Cancel at the name keeps the window and the import.
        answers = {MessageAnswer::Yes};
        files = {{QString()}};
        actions().exit->trigger();
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(messages, QStringList{"Save changes to Untitled?"});
        ASSERT_FALSE(fileRequests.empty());
        EXPECT_EQ(fileRequests.back().kind, FileRequest::Kind::Save);
        EXPECT_EQ(fileRequests.back().suggestion, import.suggestion);

        // Yes and a name save it, and the window goes.
        const QString saved = path(import.suggestion);
        answers = {MessageAnswer::Yes};
        files = {{saved}};
        actions().exit->trigger();
        EXPECT_FALSE(window->isVisible());
        Font reread;
        QString error;
        EXPECT_EQ(loadZvfFile(saved, &reread, &error), ZvfRead::Ok) << error.toStdString();
        EXPECT_EQ(reread.glyphs, document().font().glyphs);
        EXPECT_FALSE(document().isModified());
    }
}

TEST_F(MainWindowTest, TwoZoomInStepsInALargeWindowKeepTheGlyphInView)
{
    window->resize(1400, 1000);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EditorView &view = window->view();
    for (int step = 0; step < 2; ++step)
        QTest::keyClick(&view, Qt::Key_Plus, Qt::ControlModifier);
    ASSERT_EQ(view.zoom(), 200);
    EXPECT_TRUE(view.viewport()->rect().contains(view.gridRect()))
        << "grid at " << view.gridRect().x() << "," << view.gridRect().y();
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0) << "everything fits the window's width";
    actions().actualSize->trigger();
    EXPECT_EQ(view.gridRect().topLeft(), ViewLayout::GridOrigin);
    EXPECT_FALSE(view.horizontalScrollBar()->isVisible());
}

TEST_F(MainWindowTest, HelpTopicsGivesThePagesPathWhenNoBrowserShowsIt)
{
    write("index.htm", "<html></html>");
    QList<QUrl> asked;
    bool browser = false;
    const UrlOpener open = [&](const QUrl &url) {
        asked << url;
        return browser;
    };
    openHelpTopics(window.get(), path("index.htm"), open);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], QUrl::fromLocalFile(path("index.htm")));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].endsWith("\n" + path("index.htm"))) << messages[0].toStdString();

    browser = true;
    messages.clear();
    openHelpTopics(window.get(), path("index.htm"), open);
    EXPECT_TRUE(messages.isEmpty()) << "the browser shows it";

    openHelpTopics(window.get(), path("missing.htm"), open);
    EXPECT_EQ(messages, QStringList{"Help files not found"});
    EXPECT_EQ(asked.size(), 2) << "nothing to open";
}

TEST_F(MainWindowTest, TheWindowZoomTextPreviewAndGlyphLabelsAreKeptForTheNextRun)
{
    const auto forget = [] {
        QSettings settings = programSettings();
        settings.remove(QStringLiteral("Window"));
        settings.remove(QStringLiteral("Text Preview"));
    };
    forget();
    window->restoreSettings();
    EXPECT_EQ(window->view().zoom(), 100) << "a first run";
    EXPECT_FALSE(actions().glyphLabels->isChecked());
    EXPECT_FALSE(window->view().showsGlyphLabels());
    window->resize(1000, 720);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    actions().zoomIn->trigger();
    actions().zoomIn->trigger();
    actions().textPreview->trigger();
    actions().glyphLabels->trigger();
    EXPECT_TRUE(window->view().layout().showsLabels());
    auto *pane = static_cast<PreviewPane *>(window->preview().widget());
    pane->textEdit()->setText(QStringLiteral("Kept"));
    pane->scaleBox()->setCurrentIndex(2);
    ASSERT_TRUE(window->close());

    makeWindow(PortTable::fromDevices({}));
    EXPECT_FALSE(window->preview().isVisibleTo(window.get())) << "only when asked";
    window->restoreSettings();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->size(), QSize(1000, 720));
    EXPECT_EQ(window->view().zoom(), 200);
    EXPECT_TRUE(window->preview().isVisible());
    EXPECT_TRUE(actions().textPreview->isChecked());
    EXPECT_TRUE(actions().glyphLabels->isChecked());
    EXPECT_TRUE(window->view().layout().showsLabels());
    pane = static_cast<PreviewPane *>(window->preview().widget());
    EXPECT_EQ(pane->textEdit()->text(), "Kept");
    EXPECT_EQ(pane->scaleBox()->currentIndex(), 2);

    // A window that was never asked leaves the settings as they were.
    makeWindow(PortTable::fromDevices({}));
    window->show();
    actions().actualSize->trigger();
    ASSERT_TRUE(window->close());
    EXPECT_EQ(programSettings().value(QStringLiteral("Window/Zoom")).toInt(), 200);
    forget();
}

TEST_F(MainWindowTest, TheTextPreviewIsShownFromTheViewMenu)
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_FALSE(window->preview().isVisible());
    EXPECT_FALSE(actions().textPreview->isChecked());
    actions().textPreview->trigger();
    EXPECT_TRUE(window->preview().isVisible());
    EXPECT_TRUE(actions().textPreview->isChecked());
    window->preview().close();
    EXPECT_FALSE(actions().textPreview->isChecked()) << "closing the pane unchecks its entry";
}

TEST_F(MainWindowTest, ZoomEntriesFollowTheZoom)
{
    EXPECT_FALSE(actions().actualSize->isEnabled());
    EXPECT_TRUE(actions().zoomIn->isEnabled());
    EXPECT_EQ(actions().zoomIn->shortcut(), QKeySequence(QKeySequence::ZoomIn));
    EXPECT_EQ(actions().actualSize->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_0));
    actions().zoomIn->trigger();
    EXPECT_EQ(window->view().zoom(), 150);
    EXPECT_TRUE(actions().actualSize->isEnabled());
    while (actions().zoomIn->isEnabled())
        actions().zoomIn->trigger();
    EXPECT_EQ(window->view().zoom(), 800);
    actions().actualSize->trigger();
    EXPECT_EQ(window->view().zoom(), 100);
    actions().zoomOut->trigger();
    EXPECT_EQ(window->view().zoom(), 50);
    EXPECT_FALSE(actions().zoomOut->isEnabled());
}

// Edit > Go to Character takes a character, a decimal or a hexadecimal code, and
// names a code the font lacks instead of going anywhere.
TEST_F(MainWindowTest, GoToCharacterSelectsTheGlyphOfATypedCode)
{
    Font font;
    font.header.first = 192;
    font.header.height = 2;
    font.resizeGlyphTable(32); // codes 192 to 223
    for (Glyph &g : font.glyphs)
        g.reset(2, 2);
    font.computeFileSize();
    saveFont("latin.zvf", font);
    QString error;
    ASSERT_TRUE(document().open(path("latin.zvf"), &error)) << error.toStdString();
    EXPECT_EQ(actions().goToCharacter->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));

    const auto typeAndAccept = [this](const QString &text) {
        onDialog = [text](QDialog &dialog) {
            auto *goTo = dynamic_cast<GoToCharacterDialog *>(&dialog);
            EXPECT_TRUE(goTo);
            if (!goTo)
                return int(QDialog::Rejected);
            goTo->characterEdit()->setText(text);
            goTo->accept();
            return goTo->result();
        };
        actions().goToCharacter->trigger();
    };

    typeAndAccept(QString::fromUtf8("\u00C9"));
    EXPECT_EQ(window->view().state().currentCode, 0xC9);
    window->view().selectGlyph(0);
    typeAndAccept(QStringLiteral("0xC9"));
    EXPECT_EQ(window->view().state().currentCode, 0xC9);
    typeAndAccept(QStringLiteral("U+00D0"));
    EXPECT_EQ(window->view().state().currentCode, 0xD0);
    typeAndAccept(QStringLiteral("200"));
    EXPECT_EQ(window->view().state().currentCode, 200);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();

    // A code the font lacks: said so, and the current glyph stays.
    typeAndAccept(QStringLiteral("0x41"));
    EXPECT_EQ(window->view().state().currentCode, 200);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "The font has no character with the code 65 (U+0041).");
    typeAndAccept(QStringLiteral("xyz"));
    EXPECT_EQ(window->view().state().currentCode, 200);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].contains("\"xyz\" is neither a character nor a character code"));
}

// Edit > Apply to Range runs one glyph command over a range of codes as one undo
// step; a bad code, a backward range or a glyph the command refuses is named and
// changes nothing.
TEST_F(MainWindowTest, ApplyToRangeRunsACommandOverARangeAsOneStep)
{
    // Codes 41 to 45, 2 × 2 1BPP glyphs with their top left pixel white; the last
    // is 3 wide, so no quarter turn can run over it.
    Font font;
    font.header.first = 0x41;
    font.header.height = 2;
    font.resizeGlyphTable(5);
    for (Glyph &g : font.glyphs) {
        g.reset(2, 2);
        g.setPixel(0, 0, 1);
    }
    font.glyphs[4].reset(2, 3);
    font.computeFileSize();
    saveFont("range.zvf", font);
    QString error;
    ASSERT_TRUE(document().open(path("range.zvf"), &error)) << error.toStdString();
    const Font before = document().font();
    window->view().selectGlyph(1);

    const auto run = [this](EditOperation operation, const QString &from, const QString &to) {
        int result = -1;
        onDialog = [&](QDialog &dialog) {
            auto *range = dynamic_cast<ApplyRangeDialog *>(&dialog);
            EXPECT_TRUE(range);
            if (!range)
                return int(QDialog::Rejected);
            const auto &offered = range->operations();
            const auto found = std::find(offered.begin(), offered.end(), operation);
            EXPECT_NE(found, offered.end());
            range->commandBox()->setCurrentIndex(int(found - offered.begin()));
            range->fromEdit()->setText(from);
            range->toEdit()->setText(to);
            range->accept();
            result = range->result();
            return result;
        };
        actions().applyToRange->trigger();
        return result;
    };

    // What the dialog offers and where its range starts.
    onDialog = [](QDialog &dialog) {
        auto *range = dynamic_cast<ApplyRangeDialog *>(&dialog);
        EXPECT_TRUE(range);
        if (!range)
            return int(QDialog::Rejected);
        using Op = EditOperation;
        const std::set<Op> offered(range->operations().begin(), range->operations().end());
        EXPECT_EQ(offered,
                  (std::set<Op>{Op::Clear, Op::Outline, Op::MoveDown, Op::MoveUp, Op::MoveRight,
                                Op::MoveLeft, Op::FlipHorizontal, Op::FlipVertical,
                                Op::RotateClockwise, Op::RotateAnticlockwise, Op::Invert}));
        EXPECT_EQ(range->commandBox()->count(), int(offered.size()));
        EXPECT_EQ(range->fromEdit()->text(), "U+0042");
        EXPECT_EQ(range->toEdit()->text(), "U+0045");
        return int(QDialog::Rejected);
    };
    actions().applyToRange->trigger();
    EXPECT_EQ(dialogs, 1);

    // Refused: the dialog stays open with the reason, and nothing changes.
    const struct
    {
        EditOperation operation;
        const char *from;
        const char *to;
        const char *message;
    } refusals[] = {
        {EditOperation::Invert, "0x44", "0x42",
         "The range must run from a lower to a higher code of the font."},
        {EditOperation::Invert, "0x40", "0x42",
         "The font has no character with the code 64 (U+0040)."},
        {EditOperation::Invert, "B", "70", "The font has no character with the code 70 (U+0046)."},
        {EditOperation::Invert, "B", "xyz", "\"xyz\" is neither a character nor a character code."},
        {EditOperation::RotateClockwise, "A", "E",
         "Only a square glyph can be rotated: its Width must equal its Height."},
    };
    for (const auto &c : refusals) {
        messages.clear();
        EXPECT_NE(run(c.operation, QString::fromLatin1(c.from), QString::fromLatin1(c.to)),
                  QDialog::Accepted)
            << c.from << "-" << c.to;
        EXPECT_EQ(messages, QStringList{QString::fromLatin1(c.message)}) << c.from << "-" << c.to;
        EXPECT_EQ(document().font(), before) << c.from << "-" << c.to;
        EXPECT_FALSE(document().canUndo()) << c.from << "-" << c.to;
    }

    // Invert over B to D: those three change, A and E do not, and one undo brings
    // back the font as it was.
    messages.clear();
    EXPECT_EQ(run(EditOperation::Invert, QStringLiteral("B"), QStringLiteral("0x44")),
              QDialog::Accepted);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
    const Font &after = document().font();
    for (int i = 0; i < 5; ++i) {
        const bool inRange = i >= 1 && i <= 3;
        EXPECT_EQ(after.glyphs[std::size_t(i)] != before.glyphs[std::size_t(i)], inRange) << i;
    }
    EXPECT_EQ(after.glyphs[2].pixel(0, 0), 0);
    EXPECT_EQ(after.glyphs[2].pixel(1, 1), 1);
    EXPECT_TRUE(document().isModified());
    EXPECT_EQ(window->view().state().currentCode, 0x42) << "the current glyph stays";
    EXPECT_EQ(actions().undo->text(), "&Undo Invert");
    actions().undo->trigger();
    EXPECT_EQ(document().font(), before);
    EXPECT_FALSE(document().canUndo()) << "one step";
    Font undone = document().font();
    EXPECT_EQ(writeZvf(undone), read("range.zvf"));
}

// The tools' keys choose a tool where the grid has the focus, while other
// characters typed there jump to their glyphs; text fields keep their letters.
TEST_F(MainWindowTest, ToolKeysChooseToolsAndOtherCharactersJumpToTheirGlyphs)
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EditorView &view = window->view();
    view.setFocus();
    const std::pair<Qt::Key, Tool> keys[] = {{Qt::Key_L, Tool::Line},
                                             {Qt::Key_R, Tool::Rectangle},
                                             {Qt::Key_F, Tool::Fill},
                                             {Qt::Key_S, Tool::Select},
                                             {Qt::Key_P, Tool::Pencil}};
    for (const auto &[key, tool] : keys) {
        QTest::keyClick(&view, key);
        EXPECT_EQ(view.tool(), tool) << QKeySequence(key).toString().toStdString();
        EXPECT_TRUE(actions().tool(tool)->isChecked());
    }
    EXPECT_EQ(view.state().currentCode, 32) << "a tool key is no character to jump to";

    QTest::keyClicks(&view, QStringLiteral("L"), Qt::ShiftModifier);
    EXPECT_EQ(view.state().currentCode, 'L');
    EXPECT_EQ(view.tool(), Tool::Pencil);
    QTest::sendKeyEvent(QTest::Click, &view, Qt::Key_Eacute, QString::fromUtf8("\u00E9"),
                        Qt::NoModifier);
    EXPECT_EQ(view.state().currentCode, 'L');
    EXPECT_EQ(window->statusBar()->currentMessage(),
              "The font has no character with the code 233 (U+00E9).");

    // A refusal of a tool shows its reason there too.
    QTest::keyClick(&view, Qt::Key_S);
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, QPoint(25, 15));
    QTest::mouseMove(view.viewport(), QPoint(45, 15));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, QPoint(45, 15));
    actions().action(EditOperation::RotateClockwise)->trigger();
    EXPECT_EQ(window->statusBar()->currentMessage(), "Only a square selection can be rotated.");

    window->preview().show();
    auto *pane = static_cast<PreviewPane *>(window->preview().widget());
    pane->textEdit()->setFocus();
    pane->textEdit()->clear();
    QTest::keyClicks(pane->textEdit(), QStringLiteral("flp"));
    EXPECT_EQ(pane->textEdit()->text(), "flp");
    EXPECT_EQ(view.tool(), Tool::Select);
}
