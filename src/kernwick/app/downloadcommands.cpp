#include "app/downloadcommands.h"

#include "app/serialcontroller.h"
#include "device/downloadjob.h"
#include "device/memorydevicedialog.h"
#include "widgets/messages.h"

#include "libkernwick/device/bootscriptdownload.h"
#include "libkernwick/device/configdownload.h"
#include "libkernwick/device/conversation.h"
#include "libkernwick/device/fontdownload.h"
#include "libkernwick/device/setupdownload.h"
#include "libkernwick/device/xmodem.h"
#include "libkernwick/font/document.h"
#include "libkernwick/font/zvffile.h"

#include <QBuffer>
#include <QFile>

namespace Kernwick {

DownloadCommands::DownloadCommands(SerialController &serial, QWidget *window, QObject *parent)
    : QObject(parent), m_serial(serial), m_window(window)
{
}

QString DownloadCommands::chooseFile(const QString &suggestion)
{
    // Any file at all: a font or firmware image is sent as it is stored.
    FileRequest request =
        FileRequest::open(QStringLiteral("Open"), QStringLiteral("All Files (*)"));
    request.suggestion = suggestion;
    return Kernwick::chooseFile(m_window, request);
}

std::shared_ptr<QFile> DownloadCommands::openFile(const QString &path)
{
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        showFailure(m_window, fileErrorBox());
        return nullptr;
    }
    return file;
}

void DownloadCommands::downloadFont(FontDialect dialect)
{
    if (m_serial.isBusy() || !m_serial.checkPort())
        return;
    MemoryDeviceDialog devices(m_window, m_document ? m_document->title() : QString());
    if (runDialog(devices) != QDialog::Accepted)
        return;
    QString path;
    std::shared_ptr<QIODevice> file;
    if (devices.sendsOpenFont()) {
        // The bytes a save would write now, modified or not.
        path = m_document->title();
        auto buffer = std::make_shared<QBuffer>();
        buffer->setData(encodeZvf(m_document->font()).bytes);
        buffer->open(QIODevice::ReadOnly);
        file = buffer;
    } else {
        path = chooseFile({});
        if (path.isEmpty())
            return;
        file = openFile(path);
        if (!file)
            return;
    }

    const SerialSelection &selection = m_serial.selection();
    const FontDownload request{devices.device(), dialect, selection.baudRate};
    DownloadJob job;
    job.subject = QStringLiteral("font");
    job.captions = fontDownloadCaptions(path, request.device, selection.portName);
    job.progressTotal = progressTotal(file->size(), FontChunkSize);
    job.work = [file, request](Conversation &conversation) {
        return Kernwick::downloadFont(conversation, *file, request);
    };
    m_serial.startDownload(std::move(job));
}

void DownloadCommands::downloadFirmware(FirmwareDialect dialect)
{
    if (m_serial.isBusy() || !m_serial.checkPort())
        return;
    const bool debug = dialect == FirmwareDialect::DebugPort;
    const QString path = chooseFile(debug ? m_lastDebugFirmware : QString());
    if (path.isEmpty())
        return;
    const std::shared_ptr<QFile> file = openFile(path);
    if (!file)
        return;
    if (debug)
        m_lastDebugFirmware = path;

    const SerialSelection &selection = m_serial.selection();
    const FirmwareDownload request{dialect, selection.baudRate};
    DownloadJob job;
    job.subject = QStringLiteral("firmware");
    job.captions = firmwareDownloadCaptions(path, selection.portName);
    job.progressTotal = progressTotal(file->size(), Xmodem::BlockSize);
    job.work = [file, request](Conversation &conversation) {
        return Kernwick::downloadFirmware(conversation, *file, request);
    };
    m_serial.startDownload(std::move(job));
}

void DownloadCommands::downloadConfiguration(const DeviceConfig &config)
{
    if (m_serial.isBusy()) {
        showWarning(m_window, QStringLiteral("A download is running; the configuration was kept "
                                             "and can be downloaded once it has ended."));
        return;
    }
    if (!m_serial.checkPort())
        return;
    const SerialSelection &selection = m_serial.selection();
    DownloadJob job;
    job.subject = QStringLiteral("configuration");
    job.captions = configDownloadCaptions(selection.portName);
    job.progressTotal = ConfigDownloadProgressEnd;
    job.work = [config, baud = selection.baudRate](Conversation &conversation) {
        return Kernwick::downloadConfiguration(conversation, config, baud);
    };
    m_serial.startDownload(std::move(job));
}

void DownloadCommands::downloadBootScript(const QByteArray &script, QWidget *owner)
{
    if (m_serial.isBusy() || !m_serial.checkPort(owner))
        return;
    const SerialSelection &selection = m_serial.selection();
    DownloadJob job;
    job.subject = QStringLiteral("boot script");
    job.captions = bootScriptDownloadCaptions(selection.portName);
    job.progressTotal = BootScriptProgressEnd;
    job.owner = owner;
    job.work = [script, baud = selection.baudRate](Conversation &conversation) {
        return Kernwick::downloadBootScript(conversation, script, baud);
    };
    m_serial.startDownload(std::move(job));
}

void DownloadCommands::downloadSetup(const SetupBundle &bundle, QWidget *owner)
{
    if (m_serial.isBusy() || !m_serial.checkPort(owner))
        return;
    DownloadJob job;
    job.subject = QStringLiteral("setup");
    job.inParts = true;
    job.owner = owner;
    job.work = [bundle, baud = m_serial.selection().baudRate](Conversation &conversation) {
        return Kernwick::downloadSetup(conversation, bundle, baud);
    };
    m_serial.startDownload(std::move(job));
}

} // namespace Kernwick
