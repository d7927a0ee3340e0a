#pragma once

#include "libkernwick/config/setupfile.h"
#include "libkernwick/device/setupdownload.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace Kernwick {

/// "Setup Editor": the three files of a setup bundle, "Configuration File",
/// "Bootscript File" and "Font File" from the top, each path in a read-only field
/// with a "Select" button beside it, and "Load File", "Save File", "Download" and
/// "Exit". The fields show the bundle's paths, which only Select and Load File
/// change; each opening starts with none chosen.
///
/// Download asks for the bundle to be sent (downloadRequested()); the dialog stays
/// open while it goes.
class SetupEditor : public QDialog
{
    Q_OBJECT

public:
    explicit SetupEditor(QWidget *parent = nullptr);

    const SetupBundle &bundle() const { return m_bundle; }

    QLineEdit *pathField(SetupPart part) const;
    QPushButton *selectButton(SetupPart part) const;
    QPushButton *loadButton() const { return m_load; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *downloadButton() const { return m_download; }
    QPushButton *exitButton() const { return m_exit; }

    /// "Select": the file chooser for `part`; the field then shows the bundle's
    /// path for it, the one just chosen or, when cancelled, the one before.
    void select(SetupPart part);
    void loadFile();
    void saveFile();
    /// Greys Download while another conversation holds the port.
    void setDownloadAvailable(bool available);

    void done(int result) override;

signals:
    void downloadRequested(const Kernwick::SetupBundle &bundle);

private:
    QString &path(SetupPart part);
    void showPath(SetupPart part);
    void fileError(const QString &error);

    SetupBundle m_bundle;
    QLineEdit *m_fields[3];
    QPushButton *m_selects[3];
    QPushButton *m_load;
    QPushButton *m_save;
    QPushButton *m_download;
    QPushButton *m_exit;
};

} // namespace Kernwick
