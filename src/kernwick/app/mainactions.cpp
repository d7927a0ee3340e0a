#include "app/mainactions.h"

#include "widgets/toolbaricons.h"

#include <QAction>
#include <QActionGroup>

#include <map>
#include <string_view>

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

// The toolbar icon an editing command names.
QIcon iconNamed(const char *name)
{
    static const std::map<std::string_view, QIcon (*)()> icons{
        {"cut", ToolbarIcons::cut},
        {"copy", ToolbarIcons::copy},
        {"paste", ToolbarIcons::paste},
        {"outline", ToolbarIcons::outline},
        {"down", ToolbarIcons::down},
        {"up", ToolbarIcons::up},
        {"right", ToolbarIcons::right},
        {"left", ToolbarIcons::left},
        {"transparent", ToolbarIcons::transparent},
        {"white", ToolbarIcons::white},
        {"halftone", ToolbarIcons::halftone},
    };
    if (!name)
        return {};
    const auto found = icons.find(name);
    return found != icons.end() ? found->second() : QIcon();
}

} // namespace

MainActions::MainActions(QObject *parent)
{
    const auto S = [](const char *text) { return QString::fromLatin1(text); };
    // One exclusive group per menu of checkable entries (the paint colours).
    std::map<EditMenu, QActionGroup *> groups;
    const auto checkable = [&](EditMenu menu) {
        QActionGroup *&group = groups[menu];
        if (!group)
            group = new QActionGroup(parent);
        return group;
    };

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
    exportBdf = make(parent, S("Export &BDF Font..."), S("Write the font as a BDF font"));
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
    for (const EditCommand &command : editCommands()) {
        if (command.menu == EditMenu::Cell)
            continue; // the editor view's own menu
        QAction *action =
            make(parent, S(command.menuText), S(command.prompt), S(command.tip),
                 QKeySequence::listFromString(S(command.keys), QKeySequence::PortableText),
                 iconNamed(command.icon));
        if (command.checkable) {
            action->setCheckable(true);
            checkable(command.menu)->addAction(action);
        }
        edit[command.operation] = action;
    }
    fontName = make(parent, S("Font Name"), S("Rename the font"));
    goToCharacter =
        make(parent, S("&Go to Character..."), S("Edit the glyph of a character or code you type"),
             S("Go to Character"), {key(Qt::CTRL | Qt::Key_G)});
    applyToRange = make(parent, S("Apply to &Range..."),
                        S("Run a glyph command on every character from one code to another"),
                        S("Apply to Range"));

    // The tools' keys come without modifiers, as in other pixel editors; so typed
    // into the grid, p, l, r, f and s choose a tool and jump to no glyph.
    struct ToolEntry
    {
        Tool tool;
        const char *text;
        const char *prompt;
        Qt::Key key;
        QIcon (*icon)();
    };
    static const ToolEntry toolEntries[] = {
        {Tool::Pencil, "&Pencil", "Paint pixels freehand", Qt::Key_P, ToolbarIcons::pencil},
        {Tool::Line, "&Line", "Draw a straight line: drag from one end to the other", Qt::Key_L,
         ToolbarIcons::line},
        {Tool::Rectangle, "&Rectangle",
         "Draw a rectangle: drag from corner to corner; hold Shift at the release to fill it",
         Qt::Key_R, ToolbarIcons::rectangle},
        {Tool::Fill, "&Fill", "Fill the clicked pixel's area with the color in use", Qt::Key_F,
         ToolbarIcons::fill},
        {Tool::Select, "&Select", "Select a rectangle of pixels to move, copy, cut or transform",
         Qt::Key_S, ToolbarIcons::select},
    };
    auto *toolGroup = new QActionGroup(parent);
    for (const ToolEntry &entry : toolEntries) {
        const QString name = S(entry.text).remove(QLatin1Char('&'));
        QAction *action =
            make(parent, S(entry.text), S(entry.prompt),
                 QStringLiteral("%1 (%2)").arg(name, QKeySequence(entry.key).toString()),
                 {key(entry.key)}, entry.icon());
        action->setCheckable(true);
        toolGroup->addAction(action);
        tools[entry.tool] = action;
    }
    tools[Tool::Pencil]->setChecked(true);

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
    glyphLabels = make(parent, S("Glyph &Labels"),
                       S("Show or hide each thumbnail's character and code under it"));
    glyphLabels->setCheckable(true);

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
    showDownload = make(parent, S("&Show Download"),
                        S("Bring the progress of the last download back on screen"));
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
    // "load" keeps its place in the Debug menu that the board's engineers know, but
    // it has never had anything to do: nothing connects it.
    load = make(parent, S("load"));
    testCom = make(parent, S("Test com"), S("Write \"Hello there!\" to the port"));
    fileSize = make(parent, S("filesize"), S("Recompute the file size"));

    // F6 and Shift+F6 step between the panes of a split window. This window has a
    // single pane, so they have nowhere to go and nothing connects them; as
    // shortcuts of the window they still keep the keys from reaching the view.
    nextPane = make(parent, S("Next Pane"), {}, {}, {key(Qt::Key_F6)});
    previousPane = make(parent, S("Previous Pane"), {}, {}, {key(Qt::SHIFT | Qt::Key_F6)});
    unassigned = make(parent, S("Transparent"), S("Transparent"),
                      S("Make active color Transparent"), {}, ToolbarIcons::transparent());
    unassigned->setEnabled(false);
}

} // namespace Kernwick
