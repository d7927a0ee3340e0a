// The Setup Editor: its read-only path fields and Select, Save File and Load File,
// and Download against zuvo-sim with a progress dialog per part.

#include "boardwindowtest.h"
#include "config/setupeditor.h"
#include "namedcase.h"
#include "qtprinters.h"
#include "testapplication.h"

#include "libkernwick/config/configfile.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

KERNWICK_TEST_APPLICATION(QApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

QByteArray sampleBytes(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 53 + 7) & 0xFF);
    return bytes;
}

// Notes the first caption line of each progress dialog shown in front of a window.
class ShownDialogs : public QObject
{
public:
    explicit ShownDialogs(QWidget *window) : m_window(window) { window->installEventFilter(this); }
    ~ShownDialogs() override { m_window->removeEventFilter(this); }

    QStringList captions;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A child is polished as it is first shown, once it is fully made.
        if (watched == m_window && event->type() == QEvent::ChildPolished) {
            auto *dialog =
                qobject_cast<DownloadDialog *>(static_cast<QChildEvent *>(event)->child());
            if (dialog) {
                EXPECT_EQ(dialog->portLine(), "on com1");
                captions << dialog->fileLine();
            }
        }
        return false;
    }

private:
    QWidget *m_window;
};

class SetupEditorTest : public BoardWindowTest
{
protected:
    // The main window on `device`, and an editor in front of it whose Download
    // sends through the window, as the Setup Editor command wires it.
    void makeEditor(const QString &device)
    {
        editor.reset();
        makeWindow(device);
        editor = std::make_unique<SetupEditor>(window.get());
        QObject::connect(editor.get(), &SetupEditor::downloadRequested, editor.get(),
                         [this](const SetupBundle &bundle) {
                             serial().downloads().downloadSetup(bundle, editor.get());
                         });
        QObject::connect(&serial(), &SerialController::busyChanged, editor.get(),
                         [this](bool busy) { editor->setDownloadAvailable(!busy); });
    }
    void TearDown() override
    {
        editor.reset();
        BoardWindowTest::TearDown();
    }
    void choose(SetupPart part, const QString &path)
    {
        files = {{path}};
        editor->select(part);
    }
    // Runs the download and notes the captions of every progress dialog shown.
    QStringList download()
    {
        ShownDialogs shown(editor.get());
        QTest::mouseClick(editor->downloadButton(), Qt::LeftButton);
        EXPECT_TRUE(waitUntilIdle());
        return shown.captions;
    }

    std::unique_ptr<SetupEditor> editor;
};

} // namespace

TEST_F(SetupEditorTest, ShowsThreeReadOnlyPathFieldsInTheirWrittenOrder)
{
    onDialog = [&](QDialog &dialog) {
        auto &shown = dynamic_cast<SetupEditor &>(dialog);
        EXPECT_EQ(shown.windowTitle(), "Setup Editor");
        QStringList labels;
        int lastY = -1;
        shown.show();
        for (SetupPart part : {SetupPart::Configuration, SetupPart::BootScript, SetupPart::Font}) {
            QLineEdit *field = shown.pathField(part);
            EXPECT_TRUE(field->isReadOnly());
            EXPECT_TRUE(field->text().isEmpty()) << "each opening starts with none chosen";
            EXPECT_GT(field->y(), lastY) << "from the top";
            lastY = field->y();
            for (QLabel *label : shown.findChildren<QLabel *>()) {
                if (label->buddy() == field)
                    labels << label->text();
            }
            EXPECT_EQ(shown.selectButton(part)->text(), "Select");
        }
        EXPECT_EQ(labels, (QStringList{"Configuration File", "Bootscript File", "Font File"}));
        for (QPushButton *button :
             {shown.loadButton(), shown.saveButton(), shown.downloadButton(), shown.exitButton()})
            EXPECT_TRUE(button->isVisible());
        QTest::mouseClick(shown.exitButton(), Qt::LeftButton);
        EXPECT_FALSE(shown.isVisible());
        return shown.result();
    };
    makeWindow(QStringLiteral("/nonexistent/ttyZ0"));
    ASSERT_TRUE(actions().setupEditor->isEnabled());
    actions().setupEditor->trigger();
    EXPECT_EQ(dialogs, 1);
}

TEST_F(SetupEditorTest, ACancelledSelectKeepsTheFieldOnThePathBefore)
{
    makeEditor(QStringLiteral("/nonexistent/ttyZ0"));
    const QString config = writeFile(QStringLiteral("a.zvc"), "x");
    choose(SetupPart::Configuration, config);
    EXPECT_EQ(editor->pathField(SetupPart::Configuration)->text(), config);
    editor->pathField(SetupPart::Configuration)->setText(QStringLiteral("typed over"));
    choose(SetupPart::Configuration, QString());
    EXPECT_EQ(editor->pathField(SetupPart::Configuration)->text(), config);
    EXPECT_EQ(editor->bundle().configPath, config);
    choose(SetupPart::BootScript, QString());
    EXPECT_TRUE(editor->pathField(SetupPart::BootScript)->text().isEmpty());

    choose(SetupPart::Font, writeFile(QStringLiteral("f.zvf"), "x"));
    ASSERT_EQ(fileRequests.size(), 4u);
    EXPECT_EQ(fileRequests[0].filter, "ZUVO Configuration Files (*.zvc);;All Files (*)");
    EXPECT_EQ(fileRequests[1].suggestion, config) << "starts from the path before";
    EXPECT_EQ(fileRequests[2].filter, "ZUVO Bootscript Files (*.zvb);;All Files (*)");
    EXPECT_EQ(fileRequests[3].filter, "ZUVO Font Files (*.zvf);;All Files (*)");
    for (const FileRequest &request : fileRequests)
        EXPECT_EQ(request.kind, FileRequest::Kind::Open);
    EXPECT_EQ(fileRequests[3].defaultSuffix, "zvf");
}

TEST_F(SetupEditorTest, SaveAndLoadCarryTheThreePaths)
{
    makeEditor(QStringLiteral("/nonexistent/ttyZ0"));
    const QString font = writeFile(QStringLiteral("font.zvf"), "f");
    const QString config = writeFile(QStringLiteral("cfg.zvc"), "c");
    const QString boot = writeFile(QStringLiteral("boot.zvb"), "b");
    choose(SetupPart::Font, font);
    choose(SetupPart::Configuration, config);
    choose(SetupPart::BootScript, boot);
    const QString saved = dir.filePath(QStringLiteral("bundle.zvs"));
    files = {{saved}};
    editor->saveFile();
    EXPECT_EQ(fileRequests.back().kind, FileRequest::Kind::Save);
    EXPECT_EQ(fileRequests.back().filter, "ZUVO Setup Files (*.zvs)");
    EXPECT_EQ(readFile(saved),
              QStringLiteral("Font=%1\nConfig=%2\nBoot=%3").arg(font, config, boot).toLocal8Bit());

    makeEditor(QStringLiteral("/nonexistent/ttyZ0"));
    files = {{saved}};
    editor->loadFile();
    EXPECT_EQ(fileRequests.back().filter, "ZUVO Setup Files (*.zvs);;All Files (*)");
    EXPECT_EQ(editor->pathField(SetupPart::Font)->text(), font);
    EXPECT_EQ(editor->pathField(SetupPart::Configuration)->text(), config);
    EXPECT_EQ(editor->pathField(SetupPart::BootScript)->text(), boot);
    EXPECT_EQ(editor->bundle(), (SetupBundle{font, config, boot}));

    // CR LF line ends leave a CR at the end of the first two paths.
    files = {{writeFile(QStringLiteral("crlf.zvs"), "Font=D:\\font.zvf\r\nConfig=D:\\cfg.zvc\r\n"
                                                    "Boot=D:\\boot.zvb")}};
    editor->loadFile();
    EXPECT_EQ(editor->bundle(), (SetupBundle{"D:\\font.zvf\r", "D:\\cfg.zvc\r", "D:\\boot.zvb"}));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
}

TEST_F(SetupEditorTest, FileErrorsShowTheSystemTextAsTitleAndKeepTheBundle)
{
    makeEditor(QStringLiteral("/nonexistent/ttyZ0"));
    const QString config = writeFile(QStringLiteral("cfg.zvc"), "c");
    choose(SetupPart::Configuration, config);
    files = {{dir.filePath(QStringLiteral("missing.zvs"))}};
    editor->loadFile();
    files = {{dir.filePath(QStringLiteral("no/such/folder/b.zvs"))}};
    editor->saveFile();
    files = {{writeFile(QStringLiteral("huge.zvs"), QByteArray(64 * 1024 + 1, 'x'))}};
    editor->loadFile();
    ASSERT_EQ(boxes.size(), 3u);
    for (const MessageRequest &box : boxes) {
        EXPECT_FALSE(box.caption.isEmpty());
        EXPECT_TRUE(box.text.isEmpty());
    }
    EXPECT_TRUE(boxes[2].caption.contains("huge.zvs")) << boxes[2].caption.toStdString();
    EXPECT_EQ(editor->bundle(), (SetupBundle{QString(), config, QString()}));
    EXPECT_EQ(editor->pathField(SetupPart::Configuration)->text(), config);

    // A file without separators is no error: its paths are empty.
    files = {{writeFile(QStringLiteral("plain.zvs"), "no separators at all")}};
    editor->loadFile();
    EXPECT_EQ(editor->bundle(), SetupBundle{});
    EXPECT_EQ(boxes.size(), 3u);
}

TEST_F(SetupEditorTest, DownloadPutsEachPartInTheBoardWithAProgressDialogPerPart)
{
    ASSERT_TRUE(sim.start());
    makeEditor(sim.device());
    editor->show();
    const QByteArray font = sampleBytes(700);
    DeviceConfig config;
    config.blinkPeriod = 20;
    const QString configPath = dir.filePath(QStringLiteral("cfg.zvc"));
    QString error;
    ASSERT_TRUE(saveConfigFile(configPath, config, &error)) << error.toStdString();
    const QByteArray script("\x1b[2;1v\r\nhello\r\n", 14);
    choose(SetupPart::Font, writeFile(QStringLiteral("font.zvf"), font));
    choose(SetupPart::Configuration, configPath);
    choose(SetupPart::BootScript, writeFile(QStringLiteral("boot.zvb"), script));

    const QStringList captions = download();
    EXPECT_EQ(captions, (QStringList{"Downloading Font: font.zvf", "Downloading Config: cfg.zvc",
                                     "Downloading Bootscript: boot.zvb"}));
    EXPECT_EQ(progress(), nullptr) << "each part's dialog goes when the part ends";
    EXPECT_TRUE(editor->findChildren<DownloadDialog *>().isEmpty());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    EXPECT_EQ(simFile(QStringLiteral("device4.bin"), font.size()), font);
    EXPECT_TRUE(simFile(QStringLiteral("config.txt"), 1).contains("33=20\n"));
    EXPECT_EQ(simFile(QStringLiteral("bootscript.bin"), script.size()), script);
    EXPECT_FALSE(heldOpen(sim.device()));
    EXPECT_TRUE(editor->downloadButton()->isEnabled());
}

TEST_F(SetupEditorTest, ALongBootScriptIsRefusedWhileTheOtherPartsGo)
{
    ASSERT_TRUE(sim.start());
    makeEditor(sim.device());
    editor->show();
    DeviceConfig config;
    config.blinkPeriod = 25;
    const QString configPath = dir.filePath(QStringLiteral("cfg.zvc"));
    QString error;
    ASSERT_TRUE(saveConfigFile(configPath, config, &error)) << error.toStdString();
    const QString boot = writeFile(QStringLiteral("long.zvb"), QByteArray(600, 'a'));
    choose(SetupPart::Configuration, configPath);
    choose(SetupPart::BootScript, boot);

    EXPECT_EQ(download(), QStringList{"Downloading Config: cfg.zvc"});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "ZUVO Kernwick");
    EXPECT_EQ(boxes[0].text, QStringLiteral("The boot script file %1 is longer than 512 bytes, the "
                                            "most a setup download sends; it was not sent")
                                 .arg(boot));
    EXPECT_TRUE(simFile(QStringLiteral("config.txt"), 1).contains("33=25\n"));
    EXPECT_EQ(sim.stateFile(QStringLiteral("bootscript.bin")), QByteArray());
    EXPECT_FALSE(sim.stateFile(QStringLiteral("wire.log")).contains("aaaa"));
    EXPECT_EQ(sim.stateFile(QStringLiteral("device4.bin")), QByteArray()) << "no font named";
}

// A board that refuses a font step: the box that says so, and whether the
// configuration part still goes.
struct RefusalCase : NamedCase
{
    QStringList simArgs;
    QStringList messages;
    bool configurationSent;
};

class FontRefusals : public SetupEditorTest, public ::testing::WithParamInterface<RefusalCase>
{
};

TEST_P(FontRefusals, AreReportedInABoxAndDecideWhetherTheRestGoes)
{
    const RefusalCase &c = GetParam();
    ASSERT_TRUE(sim.start(c.simArgs));
    makeEditor(sim.device());
    editor->show();
    choose(SetupPart::Font, writeFile(QStringLiteral("font.zvf"), sampleBytes(700)));
    choose(SetupPart::Configuration, writeFile(QStringLiteral("cfg.zvc"), "\x1b[33;20v\x1b[1v"));
    EXPECT_EQ(download(), (c.configurationSent ? QStringList{"Downloading Font: font.zvf",
                                                             "Downloading Config: cfg.zvc"}
                                               : QStringList{"Downloading Font: font.zvf"}));
    EXPECT_EQ(messages, c.messages);
    for (const MessageRequest &box : boxes)
        EXPECT_EQ(box.caption, "ZUVO Kernwick");
    EXPECT_EQ(sim.stateFile(QStringLiteral("wire.log")).contains("\x1b[33;20v"),
              c.configurationSent);
    EXPECT_FALSE(heldOpen(sim.device()));
}

INSTANTIATE_TEST_SUITE_P(
    Board, FontRefusals,
    ::testing::Values(
        RefusalCase{"Erase", {QStringLiteral("--nak-erase")}, {"no ack from erase"}, true},
        RefusalCase{"Block",
                    {QStringLiteral("--nak-chunk"), QStringLiteral("1")},
                    {"Font part failed: block 1 of font.zvf was not acknowledged by the board"},
                    false},
        RefusalCase{"Flush",
                    {QStringLiteral("--nak-flush")},
                    {"Font part failed: the memory flush after font.zvf was not acknowledged "
                     "(flush returns 21)"},
                    true}),
    CaseName());

TEST_F(SetupEditorTest, AMissingFontEndsTheDownloadAndAMissingConfigurationOnlyItsPart)
{
    ASSERT_TRUE(sim.start());
    makeEditor(sim.device());
    editor->show();
    const QByteArray script("\x1b[2;1v", 6);
    choose(SetupPart::Font, dir.filePath(QStringLiteral("gone.zvf")));
    choose(SetupPart::Configuration, writeFile(QStringLiteral("cfg.zvc"), "\x1b[33;20v"));
    EXPECT_TRUE(download().isEmpty());
    EXPECT_EQ(messages, QStringList{"File Error"});
    EXPECT_EQ(sim.stateFile(QStringLiteral("wire.log")), QByteArray()) << "nothing sent";

    makeEditor(sim.device());
    editor->show();
    choose(SetupPart::Configuration, dir.filePath(QStringLiteral("gone.zvc")));
    choose(SetupPart::BootScript, writeFile(QStringLiteral("boot.zvb"), script));
    EXPECT_EQ(download(), QStringList{"Downloading Bootscript: boot.zvb"});
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_FALSE(boxes[1].caption.isEmpty()) << "the system's text as the title";
    EXPECT_NE(boxes[1].caption, "ZUVO Kernwick");
    EXPECT_TRUE(boxes[1].text.isEmpty());
    EXPECT_EQ(simFile(QStringLiteral("bootscript.bin"), script.size()), script);
}

TEST_F(SetupEditorTest, AnEmptyBundleOpensAndClosesThePortWithoutADialog)
{
    ASSERT_TRUE(sim.start());
    makeEditor(sim.device());
    EXPECT_TRUE(download().isEmpty());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    EXPECT_EQ(sim.stateFile(QStringLiteral("wire.log")), QByteArray());
    EXPECT_FALSE(heldOpen(sim.device()));
}

// Done on one part's dialog puts the whole download away: the next part's dialog
// starts hidden and the status bar speaks for the download.
TEST_F(SetupEditorTest, APartsDialogPutAwayKeepsTheNextPartsAway)
{
    ASSERT_TRUE(sim.start({QStringLiteral("--reply-delay-ms"), QStringLiteral("100")}));
    makeEditor(sim.device());
    choose(SetupPart::Font, writeFile(QStringLiteral("font.zvf"), sampleBytes(4 * 256)));
    choose(SetupPart::Configuration, writeFile(QStringLiteral("cfg.zvc"), "\x1b[33;20v\x1b[1v"));
    QTest::mouseClick(editor->downloadButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return progress() != nullptr; }, 20000));
    const QString firstPart = progress()->fileLine();
    QTest::mouseClick(progress()->doneButton(), Qt::LeftButton);
    EXPECT_TRUE(window->downloadIndicator()->text().startsWith("Downloading setup to com1: "));

    ASSERT_TRUE(
        QTest::qWaitFor([&] { return progress() && progress()->fileLine() != firstPart; }, 20000));
    EXPECT_TRUE(progress()->isHidden());
    EXPECT_FALSE(window->downloadIndicator()->isHidden());
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_TRUE(window->downloadIndicator()->isHidden());
}

TEST_F(SetupEditorTest, StopInAPartsDialogEndsTheWholeDownload)
{
    ASSERT_TRUE(sim.start({QStringLiteral("--reply-delay-ms"), QStringLiteral("100")}));
    makeEditor(sim.device());
    editor->show();
    choose(SetupPart::Font, writeFile(QStringLiteral("font.zvf"), sampleBytes(40 * 256)));
    choose(SetupPart::Configuration, writeFile(QStringLiteral("cfg.zvc"), "\x1b[33;20v\x1b[1v"));
    QTest::mouseClick(editor->downloadButton(), Qt::LeftButton);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return progress() && progress()->progressValue() >= 1; }, 20000));
    EXPECT_FALSE(editor->downloadButton()->isEnabled());
    answers = {MessageAnswer::Yes}; // the font's device is erased: stop anyway
    QTest::mouseClick(progress()->stopButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntilIdle(5000));
    EXPECT_EQ(progress(), nullptr);
    EXPECT_EQ(messages, QStringList{"The board's memory device 4 has been erased. Stop anyway?"});
    EXPECT_FALSE(heldOpen(sim.device()));
    EXPECT_FALSE(sim.stateFile(QStringLiteral("wire.log")).contains("\x1b[33;20v"))
        << "the configuration part never started";
}
