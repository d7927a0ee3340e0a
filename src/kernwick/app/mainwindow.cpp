#include "app/mainwindow.h"

#include "app/aboutdialog.h"
#include "app/downloadcommands.h"
#include "app/filecontroller.h"
#include "app/helptopics.h"
#include "app/mainactions.h"
#include "app/printcontroller.h"
#include "app/recentfiles.h"
#include "app/serialcontroller.h"
#include "config/configcontroller.h"
#include "editor/applyrangedialog.h"
#include "editor/editorview.h"
#include "editor/fontnamedialog.h"
#include "editor/fontparametersdialog.h"
#include "editor/gotocharacterdialog.h"
#include "editor/previewpane.h"
#include "widgets/messages.h"
#include "widgets/settings.h"
#include "widgets/toolbaricons.h"

#include "libkernwick/font/document.h"
#include "libkernwick/programname.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWhatsThis>

#include <map>

namespace Kernwick {

namespace {

const QString IdlePrompt = QStringLiteral("For Help, press F1");

// What the settings keep of the window between runs.
const QString GeometryKey = QStringLiteral("Window/Geometry");
const QString StateKey = QStringLiteral("Window/State");
const QString ZoomKey = QStringLiteral("Window/Zoom");
const QString GlyphLabelsKey = QStringLiteral("Window/Glyph Labels");
const QString PreviewTextKey = QStringLiteral("Text Preview/Text");
const QString PreviewScaleKey = QStringLiteral("Text Preview/Scale");

} // namespace

MainWindow::MainWindow(PortTable ports, QWidget *parent)
    : QMainWindow(parent), m_document(std::make_unique<Document>()),
      m_actions(std::make_unique<MainActions>(this))
{
    setWindowIcon(ToolbarIcons::application());
    resize(780, 550);
    m_document->setLargeChangeQuestion(
        [this] { return askYesNo(this, QString::fromLatin1(Document::TooLargeToUndo)); });
    m_view = new EditorView(*m_document, this);
    setCentralWidget(m_view);
    m_recent = new RecentFiles(this);
    m_files = new FileController(*m_document, *m_recent, this);
    m_printing = new PrintController(*m_document, this);
    m_serial = new SerialController(*m_actions, this, std::move(ports));
    m_serial->downloads().setDocument(m_document.get());
    m_config = new ConfigController(this, [this] { return m_serial->selection().baudRate; });
    buildPreview();

    buildMenus();
    buildToolbar();
    buildStatusBar();
    connectCommands();
    m_serial->probe();
    updateTitle();
    updateRecentFiles();
    updateCommands();
    m_view->setFocus();
}

MainWindow::~MainWindow()
{
    // A conversation still running ends here, its port closed before the window goes.
    m_serial->stopAll();
}

void MainWindow::buildMenus()
{
    MainActions &a = *m_actions;
    using Op = EditOperation;

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addActions({a.newFont, a.open, a.importBdf, a.importImage, a.concatenate,
                      a.importTypeface, a.importSheet, a.exportSheet, a.exportBdf, a.save,
                      a.saveAs});
    file->addSeparator();
    file->addActions({a.print, a.printSetup, a.printPreview});
    file->addSeparator();
    file->addActions(a.recentFiles);
    file->addSeparator();
    file->addAction(a.exit);

    // The editing commands go where their table entries say, in table order; the
    // Edit menu's own entries come before its submenus.
    std::map<EditMenu, QMenu *> commandMenus;
    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addActions({a.undo, a.redo});
    edit->addSeparator();
    for (const EditCommand &command : editCommands()) {
        if (command.menu == EditMenu::Edit)
            edit->addAction(a.action(command.operation));
    }
    commandMenus[EditMenu::Insert] = edit->addMenu(QStringLiteral("&Insert..."));
    commandMenus[EditMenu::Delete] = edit->addMenu(QStringLiteral("&Delete..."));
    commandMenus[EditMenu::Move] = edit->addMenu(QStringLiteral("&Move"));
    commandMenus[EditMenu::Transform] = edit->addMenu(QStringLiteral("T&ransform"));
    commandMenus[EditMenu::PixelDepth] = edit->addMenu(QStringLiteral("Pixel Depth"));
    QMenu *tools = edit->addMenu(QStringLiteral("&Tool"));
    for (const auto &[tool, action] : a.tools)
        tools->addAction(action);
    edit->addAction(a.fontName);
    edit->addSeparator();
    edit->addAction(a.goToCharacter);
    edit->addAction(a.applyToRange);

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addActions({a.toolbar, a.statusBar, a.fontParameters});
    view->addSeparator();
    view->addActions({a.textPreview, a.glyphLabels});
    view->addSeparator();
    view->addActions({a.zoomIn, a.zoomOut, a.actualSize});

    commandMenus[EditMenu::Color] = menuBar()->addMenu(QStringLiteral("&Color"));
    for (const EditCommand &command : editCommands()) {
        const auto menu = commandMenus.find(command.menu);
        if (menu != commandMenus.end())
            menu->second->addAction(a.action(command.operation));
    }

    QMenu *serial = menuBar()->addMenu(QStringLiteral("&Serial"));
    QMenu *port = serial->addMenu(QStringLiteral("&Port"));
    // A port that was busy or unplugged comes back when the menu opens.
    connect(port, &QMenu::aboutToShow, m_serial, &SerialController::refreshPorts);
    for (QAction *entry : a.ports)
        port->addAction(entry);
    QMenu *baud = serial->addMenu(QStringLiteral("&Baud Rate"));
    for (QAction *entry : a.bauds)
        baud->addAction(entry);
    QMenu *download = serial->addMenu(QStringLiteral("&Download"));
    download->addActions({a.downloadFontMain, a.downloadFontDebug});
    download->addSeparator();
    download->addActions(
        {a.downloadFirmwareMain, a.downloadFirmwareDebug, a.downloadFirmwareRepair});
    serial->addAction(a.showDownload);
    serial->addAction(a.downloadToManyBoards);
    serial->addActions({a.terminal, a.bootscriptEditor, a.configurationEditor, a.setupEditor});

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(a.helpTopics);
    help->addSeparator();
    help->addAction(a.about);

    QMenu *debug = menuBar()->addMenu(QStringLiteral("&Debug"));
    debug->addActions(
        {a.exportC, a.load, a.action(Op::Mod), a.testCom, a.action(Op::X2), a.fileSize});

    // Accelerators without menu entries.
    addActions({a.contextHelp, a.nextPane, a.previousPane});
}

void MainWindow::buildToolbar()
{
    MainActions &a = *m_actions;
    using Op = EditOperation;
    m_toolbar = addToolBar(QStringLiteral("Toolbar"));
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->addActions({a.newFont, a.open, a.save});
    m_toolbar->addSeparator();
    m_toolbar->addActions({a.action(Op::Cut), a.action(Op::Copy), a.action(Op::Paste)});
    m_toolbar->addSeparator();
    m_toolbar->addAction(a.print);
    m_toolbar->addSeparator();
    m_toolbar->addAction(a.about);
    m_toolbar->addSeparator();
    m_toolbar->addActions({a.action(Op::Transparent), a.action(Op::White), a.action(Op::Halftone),
                           a.action(Op::Outline), a.action(Op::MoveDown), a.action(Op::MoveUp),
                           a.action(Op::MoveRight), a.action(Op::MoveLeft), a.unassigned});
    m_toolbar->addSeparator();
    for (const auto &[tool, action] : a.tools)
        m_toolbar->addAction(action);
}

void MainWindow::buildPreview()
{
    m_preview = new QDockWidget(QStringLiteral("Text Preview"), this);
    m_preview->setObjectName(QStringLiteral("textPreview"));
    m_preview->setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    m_preview->setWidget(new PreviewPane(*m_document, m_preview));
    addDockWidget(Qt::BottomDockWidgetArea, m_preview);
    m_preview->hide();
}

void MainWindow::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    // Lock-key indicators as the board's engineers know them; Qt cannot read the
    // lock states portably, so they stay dimmed.
    for (const char *text : {"CAP", "NUM", "SCRL"}) {
        auto *indicator = new QLabel(QString::fromLatin1(text), bar);
        indicator->setEnabled(false);
        indicator->setFrameShape(QFrame::Panel);
        indicator->setFrameShadow(QFrame::Sunken);
        bar->addPermanentWidget(indicator);
    }
    // A download whose dialog was put away stays in sight here; a click brings the
    // dialog back.
    m_downloadIndicator = new QToolButton(bar);
    m_downloadIndicator->setAutoRaise(true);
    m_downloadIndicator->setToolTip(QStringLiteral("Show the download's progress"));
    m_downloadIndicator->hide();
    bar->insertPermanentWidget(0, m_downloadIndicator);
    connect(m_downloadIndicator, &QToolButton::clicked, m_serial, &SerialController::showDownload);
    connect(m_serial, &SerialController::downloadStatusChanged, this, [this] {
        const QString status = m_serial->downloadStatus();
        m_downloadIndicator->setText(status);
        m_downloadIndicator->setVisible(!status.isEmpty());
    });
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString &message) {
        if (message.isEmpty())
            QTimer::singleShot(0, bar, [bar] {
                if (bar->currentMessage().isEmpty())
                    bar->showMessage(IdlePrompt);
            });
    });
    bar->showMessage(IdlePrompt);
}

void MainWindow::connectCommands()
{
    MainActions &a = *m_actions;
    FileController *files = m_files;

    connect(a.newFont, &QAction::triggered, files, &FileController::newFont);
    connect(a.open, &QAction::triggered, files, &FileController::open);
    connect(a.save, &QAction::triggered, files, &FileController::save);
    connect(a.saveAs, &QAction::triggered, files, &FileController::saveAs);
    connect(a.importBdf, &QAction::triggered, files, &FileController::importBdf);
    connect(a.importImage, &QAction::triggered, files, &FileController::importImage);
    connect(a.concatenate, &QAction::triggered, files, &FileController::concatenate);
    connect(a.importTypeface, &QAction::triggered, files, &FileController::importTypeface);
    connect(a.importSheet, &QAction::triggered, files, &FileController::importSheet);
    connect(a.exportSheet, &QAction::triggered, files, &FileController::exportSheet);
    connect(a.exportBdf, &QAction::triggered, files, &FileController::exportBdf);
    connect(a.exportC, &QAction::triggered, files, &FileController::exportC);
    for (QAction *recent : a.recentFiles) {
        connect(recent, &QAction::triggered, this, [this, recent] {
            if (m_files->maybeSave() && !m_files->openPath(recent->data().toString()))
                m_recent->remove(recent->data().toString());
        });
    }
    connect(a.exit, &QAction::triggered, this, &MainWindow::close);
    connect(a.print, &QAction::triggered, m_printing, &PrintController::print);
    connect(a.printSetup, &QAction::triggered, m_printing, &PrintController::printSetup);
    connect(a.printPreview, &QAction::triggered, m_printing, &PrintController::printPreview);

    for (const auto &[operation, action] : a.edit) {
        const int op = int(operation);
        connect(action, &QAction::triggered, this, [this, op] { runEdit(op); });
    }
    connect(a.undo, &QAction::triggered, m_view, &EditorView::undo);
    connect(a.redo, &QAction::triggered, m_view, &EditorView::redo);
    connect(a.fontName, &QAction::triggered, this, &MainWindow::renameFont);
    connect(a.goToCharacter, &QAction::triggered, this, &MainWindow::goToCharacter);
    connect(a.applyToRange, &QAction::triggered, this, &MainWindow::applyToRange);
    connect(a.fileSize, &QAction::triggered, m_document.get(), &Document::recomputeFileSize);

    a.toolbar->setChecked(true);
    a.statusBar->setChecked(true);
    connect(a.toolbar, &QAction::toggled, m_toolbar, &QToolBar::setVisible);
    connect(m_toolbar, &QToolBar::visibilityChanged, a.toolbar, &QAction::setChecked);
    connect(a.statusBar, &QAction::toggled, statusBar(), &QStatusBar::setVisible);
    connect(a.fontParameters, &QAction::triggered, this, &MainWindow::showFontParameters);
    connect(a.textPreview, &QAction::triggered, m_preview, &QDockWidget::setVisible);
    connect(m_preview, &QDockWidget::visibilityChanged, a.textPreview, &QAction::setChecked);
    connect(a.zoomIn, &QAction::triggered, m_view, &EditorView::zoomIn);
    connect(a.zoomOut, &QAction::triggered, m_view, &EditorView::zoomOut);
    connect(a.actualSize, &QAction::triggered, m_view, &EditorView::actualSize);
    connect(a.glyphLabels, &QAction::toggled, m_view, &EditorView::setGlyphLabels);
    connect(m_view, &EditorView::zoomChanged, this, [this](int percent) {
        updateCommands();
        statusBar()->showMessage(QStringLiteral("Zoom %1%").arg(percent), 2000);
    });

    connect(a.configurationEditor, &QAction::triggered, m_config, &ConfigController::openEditor);
    connect(m_config, &ConfigController::downloadRequested, this,
            [this](const DeviceConfig &config) {
                m_serial->downloads().downloadConfiguration(config);
            });

    connect(a.helpTopics, &QAction::triggered, this, [this] { openHelpTopics(this); });
    connect(a.contextHelp, &QAction::triggered, this, [] { QWhatsThis::enterWhatsThisMode(); });
    connect(a.about, &QAction::triggered, this, [this] {
        AboutDialog about(this);
        runDialog(about);
    });

    connect(m_document.get(), &Document::titleChanged, this, &MainWindow::updateTitle);
    connect(m_document.get(), &Document::modifiedChanged, this, &MainWindow::updateTitle);
    connect(m_document.get(), &Document::historyChanged, this, &MainWindow::updateCommands);
    connect(m_document.get(), &Document::fontReplaced, this, &MainWindow::updateCommands);
    connect(m_view, &EditorView::stateChanged, this, &MainWindow::updateCommands);
    connect(m_recent, &RecentFiles::changed, this, &MainWindow::updateRecentFiles);

    // The grid's tools.
    for (const auto &[tool, action] : a.tools) {
        const Tool which = tool;
        connect(action, &QAction::triggered, m_view, [this, which] { m_view->setTool(which); });
    }
    connect(m_view, &EditorView::toolChanged, this,
            [this](Tool tool) { m_actions->tool(tool)->setChecked(true); });
    connect(m_view, &EditorView::message, this,
            [this](const QString &text) { statusBar()->showMessage(text, 5000); });
}

void MainWindow::runEdit(int operation)
{
    const EditResult result = m_view->run(EditOperation(operation));
    if (result.refused())
        statusBar()->showMessage(QString::fromLatin1(refusalMessage(result.refusal)), 5000);
}

void MainWindow::renameFont()
{
    FontNameDialog dialog(QString::fromLatin1(m_document->font().nameText()), this);
    if (runDialog(dialog) == QDialog::Accepted)
        m_document->rename(dialog.name().toLatin1());
    m_view->viewport()->update();
}

void MainWindow::goToCharacter()
{
    GoToCharacterDialog dialog(m_document->font(), this);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    const int index = dialog.code() - int(m_document->font().header.first);
    m_view->selectGlyph(index);
    m_view->showGlyph(index);
}

void MainWindow::applyToRange()
{
    ApplyRangeDialog dialog(*m_document, m_view->state(), this);
    runDialog(dialog);
}

void MainWindow::showFontParameters()
{
    FontParametersDialog dialog(m_document->font(), this);
    runDialog(dialog);
}

void MainWindow::updateTitle()
{
    setWindowTitle(QStringLiteral("%1[*] - %2")
                       .arg(m_document->title(), QString::fromLatin1(ApplicationTitle)));
    setWindowModified(m_document->isModified());
}

void MainWindow::updateRecentFiles()
{
    const QStringList files = m_recent->files();
    for (int i = 0; i < MainActions::RecentFileCount; ++i) {
        QAction *entry = m_actions->recentFiles[i];
        const bool used = i < files.size();
        entry->setVisible(used);
        if (used) {
            entry->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(
                QFileInfo(files[i]).fileName().replace(QLatin1Char('&'), QStringLiteral("&&"))));
            entry->setData(files[i]);
            entry->setStatusTip(files[i]);
        }
    }
}

void MainWindow::updateCommands()
{
    MainActions &a = *m_actions;
    for (const auto &[operation, action] : a.edit)
        action->setEnabled(m_view->isEnabled(operation));
    const ViewState &state = m_view->state();
    const Font &font = m_document->font();
    a.action(EditOperation::Transparent)->setChecked(state.paintValue == 0);
    a.action(EditOperation::White)
        ->setChecked(state.paintValue != 0 && state.paintValue == font.whiteValue());
    a.action(EditOperation::Halftone)->setChecked(font.header.ldepth == 1 && state.paintValue == 1);
    a.zoomIn->setEnabled(m_view->canZoomIn());
    a.zoomOut->setEnabled(m_view->canZoomOut());
    a.actualSize->setEnabled(m_view->zoom() != ViewLayout::ActualSize);
    a.applyToRange->setEnabled(font.chars() > 0);
    a.undo->setEnabled(m_document->canUndo());
    a.redo->setEnabled(m_document->canRedo());
    a.undo->setText(m_document->canUndo() ? QStringLiteral("&Undo %1").arg(m_document->undoText())
                                          : QStringLiteral("&Undo"));
    a.redo->setText(m_document->canRedo() ? QStringLiteral("&Redo %1").arg(m_document->redoText())
                                          : QStringLiteral("&Redo"));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_files->maybeSave()) {
        event->ignore();
        return;
    }
    m_serial->stopAll();
    if (m_keepsSettings)
        saveSettings();
    event->accept();
}

void MainWindow::restoreSettings()
{
    m_keepsSettings = true;
    const QSettings settings = programSettings();
    restoreGeometry(settings.value(GeometryKey).toByteArray());
    restoreState(settings.value(StateKey).toByteArray());
    auto *pane = static_cast<PreviewPane *>(m_preview->widget());
    pane->textEdit()->setText(settings.value(PreviewTextKey, pane->textEdit()->text()).toString());
    const int scale = settings.value(PreviewScaleKey, -1).toInt();
    if (scale >= 0 && scale < pane->scaleBox()->count())
        pane->scaleBox()->setCurrentIndex(scale);
    m_view->zoomAboutGrid(settings.value(ZoomKey, ViewLayout::ActualSize).toInt());
    m_actions->glyphLabels->setChecked(settings.value(GlyphLabelsKey, false).toBool());
}

void MainWindow::saveSettings()
{
    QSettings settings = programSettings();
    settings.setValue(GeometryKey, saveGeometry());
    settings.setValue(StateKey, saveState());
    const auto *pane = static_cast<const PreviewPane *>(m_preview->widget());
    settings.setValue(PreviewTextKey, pane->textEdit()->text());
    settings.setValue(PreviewScaleKey, pane->scaleBox()->currentIndex());
    settings.setValue(ZoomKey, m_view->zoom());
    settings.setValue(GlyphLabelsKey, m_view->showsGlyphLabels());
}

} // namespace Kernwick
