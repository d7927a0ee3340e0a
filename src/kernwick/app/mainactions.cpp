#include "app/mainactions.h"

#include "widgets/toolbaricons.h"

#include <QAction>
#include <QActionGroup>

namespace Kernwick {

namespace {

// `prompt` goes to the status bar while the entry is highlighted; `tip` is the
// button's tool tip.
QAction *make(QObject *parent, const QString &text, const QString &prompt = {},
              const QString &tip = {}, QList<QKeySequence> keys = {}, const QIcon &icon = {})
{
    auto *action = new QAction(icon, text, parent);
    action->setStatusTip(prompt);
    if (!tip.isEmpty())
        action->setToolTip(tip);
    if (!keys.isEmpty())
        action->setShortcuts(keys);
    return action;
}

QKeySequence key(QKeyCombination combination)
{
    return QKeySequence(combination);
}

} // namespace

MainActions::MainActions(QObject *parent)
{
    using Op = EditOperation;
    const auto S = [](const char *text) { return QString::fromLatin1(text); };

    newFont = make(parent, S("&New"), S("Create a new document"), S("New"),
                   {key(Qt::CTRL | Qt::Key_N)}, ToolbarIcons::newFile());
    open = make(parent, S("&Open..."), S("Open an existing document"), S("Open"),
                {key(Qt::CTRL | Qt::Key_O)}, ToolbarIcons::open());
    importBdf = make(parent, S("Import BDF &Font"), S("Import a BDF font"));
    importImage = make(parent, S("Import &Image"), S("Import an image as a one-glyph font"));
    concatenate = make(parent, S("Concatenate Fonts"), S("Join font files into one chain"));
    importTypeface = make(parent, S("Import &Typeface..."),
                          S("Render a font from an installed typeface or a font file"));
    importSheet =
        make(parent, S("Import &Glyph Sheet..."), S("Read a font back from a glyph sheet picture"));
    exportSheet = make(parent, S("&Export Glyph Sheet..."),
                       S("Write every glyph into one picture for a pixel editor"));
    save = make(parent, S("&Save"), S("Save the active document"), S("Save"),
                {key(Qt::CTRL | Qt::Key_S)}, ToolbarIcons::save());
    saveAs =
        make(parent, S("Save &As..."), S("Save the active document with a new name"), S("Save As"));
    print = make(parent, S("&Print..."), S("Print the active document"), S("Print"),
                 {key(Qt::CTRL | Qt::Key_P)}, ToolbarIcons::print());
    printSetup = make(parent, S("P&rint Setup..."), S("Change the printer and printing options"),
                      S("Print Setup"));
    printPreview =
        make(parent, S("Print Pre&view..."), S("Display full pages"), S("Print Preview"));
    for (int i = 0; i < RecentFileCount; ++i) {
        QAction *recent = make(parent, QString(), S("Open this document"));
        recent->setVisible(false);
        recentFiles.append(recent);
    }
    exit =
        make(parent, S("E&xit"), S("Quit the application; prompts to save documents"), S("Exit"));

    undo = make(parent, S("&Undo"), S("Undo the last action"), S("Undo"),
                {key(Qt::CTRL | Qt::Key_Z), key(Qt::ALT | Qt::Key_Backspace)});
    redo = make(parent, S("&Redo"), S("Redo the previously undone action"), S("Redo"),
                {key(Qt::CTRL | Qt::Key_Y), key(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit[Op::Cut] =
        make(parent, S("Cu&t"), S("Cut the selection and put it on the Clipboard"), S("Cut"),
             {key(Qt::CTRL | Qt::Key_X), key(Qt::SHIFT | Qt::Key_Delete)}, ToolbarIcons::cut());
    edit[Op::Copy] =
        make(parent, S("&Copy"), S("Copy the selection and put it on the Clipboard"), S("Copy"),
             {key(Qt::CTRL | Qt::Key_C), key(Qt::CTRL | Qt::Key_Insert)}, ToolbarIcons::copy());
    edit[Op::Paste] =
        make(parent, S("&Paste"), S("Insert Clipboard contents"), S("Paste"),
             {key(Qt::CTRL | Qt::Key_V), key(Qt::SHIFT | Qt::Key_Insert)}, ToolbarIcons::paste());
    edit[Op::Clear] = make(parent, S("Clear"), S("Erase the selection"), S("Erase"));
    edit[Op::InsertRow] = make(parent, S("Row"), S("Insert a row at the bottom of every glyph"));
    edit[Op::InsertColumn] =
        make(parent, S("Column"), S("Insert a column at the right of the glyph"));
    edit[Op::InsertCharacter] =
        make(parent, S("Character"), S("Insert a blank character at this code"));
    edit[Op::Outline] = make(parent, S("Outline"), S("Outline"), S("Add outline to font"), {},
                             ToolbarIcons::outline());
    edit[Op::DeleteRow] = make(parent, S("Row"), S("Delete the bottom row of every glyph"));
    edit[Op::DeleteColumn] =
        make(parent, S("Column"), S("Delete the rightmost column of the glyph"));
    edit[Op::DeleteSelectedCharacter] =
        make(parent, S("Selected Character"), S("Delete the character shown"));
    edit[Op::MoveDown] =
        make(parent, S("&Down"), S("Down"), S("Move image down"), {}, ToolbarIcons::down());
    edit[Op::MoveUp] = make(parent, S("&Up"), S("Up"), S("Move image up"), {}, ToolbarIcons::up());
    edit[Op::MoveRight] =
        make(parent, S("&Right"), S("Right"), S("Move image right"), {}, ToolbarIcons::right());
    edit[Op::MoveLeft] =
        make(parent, S("&Left"), S("Left"), S("Move image left"), {}, ToolbarIcons::left());
    edit[Op::To2Bpp] = make(parent, S("1BPP->&2BPP"), S("Convert the font to 2 bits per pixel"));
    edit[Op::To1Bpp] = make(parent, S("2BPP->&1BPP"), S("Convert the font to 1 bit per pixel"));
    edit[Op::Transparent] =
        make(parent, S("&Transparent"), S("Transparent"), S("Make active color Transparent"), {},
             ToolbarIcons::transparent());
    edit[Op::White] = make(parent, S("&White"), S("White "), S("Make active color White"), {},
                           ToolbarIcons::white());
    edit[Op::Halftone] = make(parent, S("&Halftone"), S("Halftone"),
                              S("Make active color Halftone"), {}, ToolbarIcons::halftone());
    edit[Op::Mod] = make(parent, S("mod"), S("Take up to six rows off the bottom of the font"));
    edit[Op::X2] = make(parent, S("X2"), S("Double the font vertically"));
    auto *colors = new QActionGroup(parent);
    for (const Op op : {Op::Transparent, Op::White, Op::Halftone}) {
        edit[op]->setCheckable(true);
        colors->addAction(edit[op]);
    }
    fontName = make(parent, S("Font Name"), S("Rename the font"));

    toolbar = make(parent, S("&Toolbar"), S("Show or hide the toolbar"), S("Toggle ToolBar"));
    statusBar =
        make(parent, S("&Status Bar"), S("Show or hide the status bar"), S("Toggle StatusBar"));
    toolbar->setCheckable(true);
    statusBar->setCheckable(true);
    fontParameters = make(parent, S("Font Parameters"), S("Show the font's header"));
    textPreview = make(parent, S("Text &Preview"),
                       S("Show or hide a line of text drawn in the font over video"));
    textPreview->setCheckable(true);
    zoomIn = make(parent, S("Zoom &In"), S("Enlarge the grid and the thumbnails"), S("Zoom In"),
                  {QKeySequence(QKeySequence::ZoomIn), key(Qt::CTRL | Qt::Key_Equal)});
    zoomOut = make(parent, S("Zoom &Out"), S("Reduce the grid and the thumbnails"), S("Zoom Out"),
                   {QKeySequence(QKeySequence::ZoomOut)});
    actualSize = make(parent, S("&Actual Size"), S("Show the grid at 10 pixels a cell"),
                      S("Actual Size"), {key(Qt::CTRL | Qt::Key_0)});

    auto *portGroup = new QActionGroup(parent);
    for (int n = 1; n <= PortTable::PortCount; ++n) {
        QAction *port = make(parent, QStringLiteral("com %1").arg(n));
        port->setCheckable(true);
        port->setData(PortTable::portName(n));
        portGroup->addAction(port);
        ports[std::size_t(n - 1)] = port;
    }
    auto *baudGroup = new QActionGroup(parent);
    for (std::size_t i = 0; i < BaudRates.size(); ++i) {
        QAction *baud = make(parent, QString::number(BaudRates[i]),
                             QStringLiteral("Talk to the board at %1 baud").arg(BaudRates[i]));
        baud->setCheckable(true);
        baud->setData(BaudRates[i]);
        baudGroup->addAction(baud);
        bauds[i] = baud;
    }
    downloadFontMain = make(parent, S("F&ont (main port)"),
                            S("Send a font file to the board through its main port"));
    downloadFontDebug = make(parent, S("&Font (debug port)"),
                             S("Send a font file to the board through its debug port"));
    downloadFirmwareMain = make(parent, S("Firmware (&main port)"),
                                S("Send firmware to the board, reset through its main port"));
    downloadFirmwareDebug = make(parent, S("Firmware (&debug port)"),
                                 S("Send firmware to the board, reset through its debug port"));
    downloadFirmwareRepair =
        make(parent, S("Firmware (&repair)"), S("Send firmware to the board's boot monitor"));
    downloadToManyBoards = make(parent, S("Download to Many Boards..."),
                                S("Send the same file to many boards at once"));
    terminal = make(parent, S("Terminal"), S("Talk to the board by hand"));
    bootscriptEditor = make(parent, S("Bootscript Editor"), S("Edit and send a boot script"));
    configurationEditor =
        make(parent, S("Configuration Editor"), S("Edit and send the board's configuration"));
    setupEditor = make(parent, S("Setup Editor"), S("Edit and send a setup bundle"));

    helpTopics =
        make(parent, S("&Help Topics"), S("List Help topics"), S("Help Topics"), {key(Qt::Key_F1)});
    contextHelp = make(parent, S("What's This?"),
                       S("Display help for clicked on buttons, menus "
                         "and windows"),
                       S("Help"), {key(Qt::SHIFT | Qt::Key_F1)});
    about = make(parent, S("&About ZUVO Kernwick..."),
                 S("Display program information, version number and copyright"), S("About"), {},
                 ToolbarIcons::about());

    exportC = make(parent, S("Export"), S("Write the font as C source to font.c"));
    load = make(parent, S("load"));
    testCom = make(parent, S("Test com"), S("Write \"Hello there!\" to the port"));
    fileSize = make(parent, S("filesize"), S("Recompute the file size"));

    nextPane = make(parent, S("Next Pane"), {}, {}, {key(Qt::Key_F6)});
    previousPane = make(parent, S("Previous Pane"), {}, {}, {key(Qt::SHIFT | Qt::Key_F6)});
    unassigned = make(parent, S("Transparent"), S("Transparent"),
                      S("Make active color Transparent"), {}, ToolbarIcons::transparent());
    unassigned->setEnabled(false);
}

} // namespace Kernwick
