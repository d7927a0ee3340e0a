#pragma once

#include "libkernwick/device/porttable.h"

#include <QMainWindow>

#include <memory>

class QDockWidget;
class QLabel;
class QToolButton;

namespace Kernwick {

class ConfigController;
class Document;
class EditorView;
class FileController;
class PrintController;
class RecentFiles;
class SerialController;
struct MainActions;

/// The main window: the editor view with the menus, toolbar and status bar around
/// it. It owns the one font document and ties every command to what carries it out.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    /// `ports` maps com1 to com16 onto devices; the start-up probe runs on it.
    explicit MainWindow(PortTable ports = PortTable::fromSystem(), QWidget *parent = nullptr);
    ~MainWindow() override;

    Document &document() { return *m_document; }
    EditorView &view() { return *m_view; }
    MainActions &actions() { return *m_actions; }
    FileController &files() { return *m_files; }
    PrintController &printing() { return *m_printing; }
    SerialController &serial() { return *m_serial; }
    RecentFiles &recentFiles() { return *m_recent; }
    ConfigController &configuration() { return *m_config; }
    /// The dockable Text Preview pane (hidden until View > Text Preview).
    QDockWidget &preview() { return *m_preview; }
    /// The status bar's line for a download that runs out of sight; a click brings
    /// its dialog back. Hidden while there is no such download.
    QToolButton *downloadIndicator() const { return m_downloadIndicator; }

    /// Brings the menu entries' enabled and checked states up to date (they also
    /// follow every change on their own).
    void updateCommands();

    /// Puts the window as it was when the program last ended (its size and place,
    /// the toolbar, the Text Preview with its text and scale, the zoom, the glyph
    /// labels), and from
    /// then on keeps them in the settings when the window closes. The program does
    /// this at start-up; a window that is never asked leaves the settings alone.
    void restoreSettings();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void buildPreview();
    void connectCommands();
    void updateTitle();
    void updateRecentFiles();
    void runEdit(int operation);
    void renameFont();
    void goToCharacter();
    void applyToRange();
    void showFontParameters();
    void saveSettings();

    std::unique_ptr<Document> m_document;
    std::unique_ptr<MainActions> m_actions;
    EditorView *m_view = nullptr;
    RecentFiles *m_recent = nullptr;
    FileController *m_files = nullptr;
    PrintController *m_printing = nullptr;
    SerialController *m_serial = nullptr;
    ConfigController *m_config = nullptr;
    QToolBar *m_toolbar = nullptr;
    QToolButton *m_downloadIndicator = nullptr;
    QDockWidget *m_preview = nullptr;
    bool m_keepsSettings = false;
};

} // namespace Kernwick
