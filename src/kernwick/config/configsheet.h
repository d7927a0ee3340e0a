#pragma once

#include "libkernwick/config/deviceconfig.h"
#include "libkernwick/device/porttable.h"

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;
class QTabWidget;

namespace Kernwick {

class ConfigPageWidget;

/// "ZUVO Configuration Editor": the board's 41 parameters on six pages, with
/// "Load File", "Save File", "Download" and "Cancel" in one centred row.
///
/// The sheet edits a copy of a configuration. A page gives its values back when
/// it is left (a number field that is not an integer keeps the page shown with
/// "Please enter an integer."), and shows them again when it comes back. Load File
/// refreshes every page, the shown one included; Save File collects every page and
/// stays on the shown one. Download ends the sheet accepted with the edited values
/// in config(); Cancel keeps nothing. Beside the buttons a note says how the values
/// on screen change the line the download is sent over (see lineChanges()).
class ConfigSheet : public QDialog
{
    Q_OBJECT

public:
    /// `lineBaudRate` is the rate of the port the download goes over.
    explicit ConfigSheet(const DeviceConfig &config, QWidget *parent = nullptr,
                         qint32 lineBaudRate = SerialSelection::DefaultBaudRate);

    /// The edited values (the ones to download once the sheet was accepted).
    const DeviceConfig &config() const { return m_config; }

    QTabWidget *tabs() const { return m_tabs; }
    ConfigPageWidget *page(int index) const { return m_pages[std::size_t(index)]; }
    QPushButton *loadButton() const { return m_load; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *downloadButton() const { return m_download; }
    QPushButton *cancelButton() const { return m_cancel; }
    /// The line-change note beside Download; empty when nothing changes.
    QLabel *lineNote() const { return m_lineNote; }

    void loadFile();
    void saveFile();
    void accept() override;

private:
    bool collectShownPage();
    void pageChanged(int index);
    void fileError(const QString &error);
    void refreshLineNote();

    DeviceConfig m_config;
    QTabWidget *m_tabs;
    std::array<ConfigPageWidget *, 6> m_pages{};
    int m_shown = 0;
    bool m_returning = false;
    QPushButton *m_load;
    QPushButton *m_save;
    QPushButton *m_download;
    QPushButton *m_cancel;
    QLabel *m_lineNote;
    qint32 m_lineBaudRate;
};

} // namespace Kernwick
