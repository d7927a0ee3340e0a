#pragma once

#include "libkernwick/config/deviceconfig.h"
#include "libkernwick/config/setupfile.h"
#include "libkernwick/device/firmwaredownload.h"
#include "libkernwick/device/fontchunk.h"

#include <QObject>
#include <QString>

#include <memory>

class QFile;
class QWidget;

namespace Kernwick {

class Document;
class SerialController;

/// The Serial > Download commands: they ask the user for the memory device and the
/// file, open the file ("File Error" when it cannot be read) and hand the download
/// to the serial controller, which runs it with its progress dialog.
class DownloadCommands : public QObject
{
    Q_OBJECT

public:
    DownloadCommands(SerialController &serial, QWidget *window, QObject *parent = nullptr);

    /// The font open in the window, which the font downloads offer beside a file.
    void setDocument(const Document *document) { m_document = document; }

    /// "F&ont (main port)" and "&Font (debug port)": the memory device dialog, the
    /// file (or the font in the window, as a save would write it), then the font
    /// download in that dialect.
    void downloadFont(FontDialect dialect);
    /// "Firmware (&main port)", "Firmware (&debug port)" and "Firmware (&repair)".
    void downloadFirmware(FirmwareDialect dialect);
    /// The configuration editor's Download: sends `config` at the chosen rate.
    void downloadConfiguration(const DeviceConfig &config);
    /// The Bootscript Editor's Download: sends `script` at the chosen rate, its
    /// progress dialog in front of `owner`, the editor.
    void downloadBootScript(const QByteArray &script, QWidget *owner);
    /// The Setup Editor's Download: sends the bundle's files over one opening of the
    /// port, each part with a progress dialog of its own in front of `owner`.
    void downloadSetup(const SetupBundle &bundle, QWidget *owner);

    /// The file the debug-port firmware command opened last in this run, offered
    /// as its starting point the next time; empty before the first.
    const QString &lastDebugFirmware() const { return m_lastDebugFirmware; }

private:
    /// The file chooser of a download; empty when cancelled.
    QString chooseFile(const QString &suggestion);
    /// Opens `path` for reading, or shows "File Error" and returns null.
    std::shared_ptr<QFile> openFile(const QString &path);

    SerialController &m_serial;
    QWidget *m_window;
    const Document *m_document = nullptr;
    QString m_lastDebugFirmware;
};

} // namespace Kernwick
