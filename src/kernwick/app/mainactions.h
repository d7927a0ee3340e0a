#pragma once

#include "editor/editorview.h"

#include "libkernwick/device/porttable.h"
#include "libkernwick/font/glyphediting.h"

#include <QList>

#include <array>
#include <map>

class QAction;
class QObject;

namespace Kernwick {

/// Every command of the main window's menus, toolbar and accelerators, with its
/// menu text, shortcuts, status-bar prompt and tool tip. The main window lays them
/// out in menus and the toolbar and connects them to what they do.
struct MainActions
{
    /// The baud rates of the Serial > Baud Rate menu.
    static constexpr std::array<qint32, 7> BaudRates{1200, 2400, 4800, 9600, 19200, 38400, 115200};
    static constexpr int RecentFileCount = 4;

    explicit MainActions(QObject *parent);

    // File
    QAction *newFont;
    QAction *open;
    QAction *importBdf;
    QAction *importImage;
    QAction *concatenate;
    QAction *importTypeface;
    QAction *importSheet;
    QAction *exportSheet;
    QAction *exportBdf;
    QAction *save;
    QAction *saveAs;
    QAction *print;
    QAction *printSetup;
    QAction *printPreview;
    QList<QAction *> recentFiles;
    QAction *exit;

    // Edit
    QAction *undo;
    QAction *redo;
    QAction *fontName;
    QAction *goToCharacter;
    QAction *applyToRange;
    /// The editing commands, including the Color menu and the debug "mod" and "X2"
    /// ("Set Ascent" and "Set Left" belong to the view's right-click menu).
    std::map<EditOperation, QAction *> edit;

    // Edit > Tool: the grid's tools, one checked at a time (Pencil at first)
    std::map<Tool, QAction *> tools;
    QAction *tool(Tool which) const { return tools.at(which); }

    // View
    QAction *toolbar;
    QAction *statusBar;
    QAction *fontParameters;
    QAction *textPreview;
    QAction *zoomIn;
    QAction *zoomOut;
    QAction *actualSize;
    /// Each thumbnail's character and code under it (checkable).
    QAction *glyphLabels;

    // Serial
    std::array<QAction *, PortTable::PortCount> ports;
    std::array<QAction *, BaudRates.size()> bauds;
    QAction *downloadFontMain;
    QAction *downloadFontDebug;
    QAction *downloadFirmwareMain;
    QAction *downloadFirmwareDebug;
    QAction *downloadFirmwareRepair;
    QAction *showDownload;
    QAction *downloadToManyBoards;
    QAction *terminal;
    QAction *bootscriptEditor;
    QAction *configurationEditor;
    QAction *setupEditor;

    // Help
    QAction *helpTopics;
    QAction *contextHelp;
    QAction *about;

    // Debug
    QAction *exportC;
    QAction *load;
    QAction *testCom;
    QAction *fileSize;

    // Accelerators without a menu entry
    QAction *nextPane;
    QAction *previousPane;

    /// The last toolbar button, which no command serves.
    QAction *unassigned;

    /// The action of an editing command.
    QAction *action(EditOperation operation) const { return edit.at(operation); }
};

} // namespace Kernwick
