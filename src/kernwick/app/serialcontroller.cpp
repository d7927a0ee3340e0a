#include "app/serialcontroller.h"

#include "app/boarddialogs.h"
#include "app/downloadcommands.h"
#include "app/mainactions.h"
#include "device/batchdownloaddialog.h"
#include "device/downloaddialog.h"
#include "device/downloadjob.h"
#include "widgets/messages.h"

#include "libkernwick/device/conversation.h"
#include "libkernwick/device/firmwaredownload.h"
#include "libkernwick/device/fontdownload.h"
#include "libkernwick/device/serialport.h"
#include "libkernwick/device/testcom.h"

#include <QAction>
#include <QWidget>

namespace Kernwick {

SerialController::SerialController(MainActions &actions, QWidget *window, PortTable table)
    : QObject(window), m_actions(actions), m_window(window), m_table(std::move(table)),
      m_downloads(new DownloadCommands(*this, window, this)),
      m_dialogs(new BoardDialogs(*this, window, this))
{
    for (QAction *port : m_actions.ports) {
        connect(port, &QAction::triggered, this, [this, port] {
            m_selection.portName = port->data().toString();
            updateActions();
            emit selectionChanged();
        });
    }
    for (QAction *baud : m_actions.bauds) {
        connect(baud, &QAction::triggered, this, [this, baud] {
            m_selection.baudRate = baud->data().toInt();
            updateActions();
            emit selectionChanged();
        });
    }
    connect(m_actions.testCom, &QAction::triggered, this, &SerialController::testCom);
    connect(m_actions.downloadToManyBoards, &QAction::triggered, this,
            &SerialController::openBatchDownload);
    connect(m_actions.showDownload, &QAction::triggered, this, &SerialController::showDownload);
    m_actions.showDownload->setEnabled(false);
    connect(this, &SerialController::downloadStatusChanged, this,
            [this] { m_actions.showDownload->setEnabled(!m_progressDialog.isNull()); });

    DownloadCommands *downloads = m_downloads;
    connect(m_actions.downloadFontMain, &QAction::triggered, downloads,
            [downloads] { downloads->downloadFont(FontDialect::MainPort); });
    connect(m_actions.downloadFontDebug, &QAction::triggered, downloads,
            [downloads] { downloads->downloadFont(FontDialect::DebugPort); });
    connect(m_actions.downloadFirmwareMain, &QAction::triggered, downloads,
            [downloads] { downloads->downloadFirmware(FirmwareDialect::MainPort); });
    connect(m_actions.downloadFirmwareDebug, &QAction::triggered, downloads,
            [downloads] { downloads->downloadFirmware(FirmwareDialect::DebugPort); });
    connect(m_actions.downloadFirmwareRepair, &QAction::triggered, downloads,
            [downloads] { downloads->downloadFirmware(FirmwareDialect::Repair); });

    BoardDialogs *dialogs = m_dialogs;
    connect(m_actions.terminal, &QAction::triggered, dialogs, &BoardDialogs::openTerminal);
    connect(m_actions.bootscriptEditor, &QAction::triggered, dialogs,
            &BoardDialogs::openBootscriptEditor);
    connect(m_actions.setupEditor, &QAction::triggered, dialogs, &BoardDialogs::openSetupEditor);
    updateActions();
}

SerialController::~SerialController() = default;

void SerialController::probe()
{
    CSerialPort port(m_table);
    setSelection(probePorts(port));
}

void SerialController::refreshPorts()
{
    if (isBusy())
        return;
    if (m_tableFromSystem)
        m_table = PortTable::fromSystem();
    CSerialPort port(m_table);
    SerialSelection found = probePorts(port);
    found.baudRate = m_selection.baudRate;
    const int chosen = PortTable::portNumber(m_selection.portName);
    if (chosen > 0 && found.portPresent.test(std::size_t(chosen - 1)))
        found.portName = m_selection.portName;
    setSelection(found);
}

bool SerialController::checkPort(QWidget *owner)
{
    refreshPorts();
    const int chosen = PortTable::portNumber(m_selection.portName);
    if (chosen > 0 && m_selection.portPresent.test(std::size_t(chosen - 1)))
        return true;
    showWarning(owner ? owner : m_window,
                QStringLiteral("No serial port is available. Connect the board and choose it "
                               "under Serial > Port."));
    return false;
}

QString SerialController::portProblem() const
{
    const QString &name = m_selection.portName;
    if (name.isEmpty())
        return QStringLiteral("No port is chosen under Serial > Port.");
    const QString device = m_table.resolve(name);
    if (device.isEmpty())
        return QStringLiteral("%1 has no device on this computer.").arg(name);
    CSerialPort port(m_table);
    if (!port.open(name))
        return QStringLiteral("%1 (%2): %3").arg(name, device, port.errorString());
    port.close();
    return QString();
}

void SerialController::setSelection(const SerialSelection &selection)
{
    m_selection = selection;
    updateActions();
    emit selectionChanged();
}

bool SerialController::isBusy() const
{
    return !m_task.isNull() || (m_batchDialog && m_batchDialog->isRunning());
}

void SerialController::stopAll()
{
    if (m_batchDialog)
        m_batchDialog->stopAndWait();
    if (!m_task)
        return;
    m_task->stop();
    // Delivers the last log lines and the end, which clears the busy state.
    m_task->waitUntilFinished();
}

QList<QAction *> SerialController::portCommands() const
{
    return {m_actions.testCom,
            m_actions.downloadFontMain,
            m_actions.downloadFontDebug,
            m_actions.downloadFirmwareMain,
            m_actions.downloadFirmwareDebug,
            m_actions.downloadFirmwareRepair,
            m_actions.downloadToManyBoards,
            m_actions.terminal,
            m_actions.bootscriptEditor,
            m_actions.configurationEditor,
            m_actions.setupEditor};
}

void SerialController::updateActions()
{
    for (int n = 1; n <= PortTable::PortCount; ++n) {
        QAction *port = m_actions.ports[std::size_t(n - 1)];
        const QString device = m_table.device(n);
        port->setEnabled(m_selection.portPresent.test(std::size_t(n - 1)));
        port->setChecked(m_selection.portName == PortTable::portName(n));
        port->setStatusTip(device.isEmpty()
                               ? QStringLiteral("com %1 has no device on this computer").arg(n)
                               : QStringLiteral("Use com %1: %2").arg(n).arg(device));
    }
    for (QAction *baud : m_actions.bauds)
        baud->setChecked(baud->data().toInt() == m_selection.baudRate);
    for (QAction *command : portCommands())
        command->setEnabled(!isBusy());
    if (m_batchDialog)
        m_batchDialog->setPortsBusy(!m_task.isNull());
}

void SerialController::openBatchDownload()
{
    if (!m_batchDialog) {
        if (isBusy())
            return;
        m_batchDialog = new BatchDownloadDialog(m_table, m_selection.portPresent,
                                                m_selection.baudRate, m_timing, m_window);
        connect(m_batchDialog, &BatchDownloadDialog::runningChanged, this, [this](bool running) {
            updateActions();
            emit busyChanged(running);
        });
    }
    m_batchDialog->show();
    m_batchDialog->raise();
    m_batchDialog->activateWindow();
}

BatchDownloadDialog *SerialController::batchDialog() const
{
    return m_batchDialog;
}

void SerialController::testCom()
{
    if (isBusy() || !checkPort())
        return;
    const qint32 baud = m_selection.baudRate;
    run(newTask(
        [baud](Conversation &conversation, BoardTask &) {
            return DownloadOutcome(Kernwick::testCom(conversation, baud) ? DownloadResult::Completed
                                                                         : DownloadResult::Failed);
        },
        nullptr, nullptr));
}

bool SerialController::startDownload(DownloadJob job)
{
    if (isBusy())
        return false;
    // Only the newest dialog is kept; older ones the user has put away go now,
    // those still on screen when the user presses Done.
    for (DownloadDialog *old :
         m_window->findChildren<DownloadDialog *>(Qt::FindDirectChildrenOnly)) {
        if (old->isHidden())
            old->deleteLater();
    }
    const QPointer<QWidget> owner = job.owner;
    BoardTask::ReportingWork work = [work = std::move(job.work)](Conversation &conversation,
                                                                 BoardTask &) {
        return work(conversation);
    };
    if (job.inParts) {
        BoardTask *task = newTask(std::move(work), owner, nullptr);
        connect(task, &BoardTask::partStarted, this,
                [this, task, owner](const ProgressCaptions &captions, int total) {
                    delete m_partDialog;
                    m_partDialog = newProgressDialog(captions, total, owner);
                    // A user who put the last part's dialog away keeps them away.
                    if (m_partsPutAway)
                        m_partDialog->hide();
                    follow(task, m_partDialog);
                });
        connect(task, &BoardTask::partEnded, this, [this] {
            m_partsPutAway = m_partDialog && m_partDialog->isHidden();
            delete m_partDialog;
        });
        m_partsPutAway = false;
        followForStatus(task, job.subject);
        run(task);
        return true;
    }
    DownloadDialog *dialog = newProgressDialog(job.captions, job.progressTotal, owner);
    BoardTask *task = newTask(std::move(work), owner, dialog);
    followForStatus(task, job.subject);
    run(task);
    return true;
}

DownloadDialog *SerialController::progressDialog() const
{
    return m_progressDialog;
}

void SerialController::showDownload()
{
    if (!m_progressDialog)
        return;
    m_progressDialog->show();
    m_progressDialog->raise();
    m_progressDialog->activateWindow();
    emit downloadStatusChanged();
}

QString SerialController::downloadStatus() const
{
    if (!m_task || !m_progressDialog || !m_progressDialog->isHidden() ||
        m_downloadSubject.isEmpty())
        return {};
    return QStringLiteral("Downloading %1 to %2: %3 %")
        .arg(m_downloadSubject, m_downloadPort)
        .arg(m_downloadPercent);
}

void SerialController::followForStatus(BoardTask *task, const QString &subject)
{
    m_downloadSubject = subject;
    m_downloadPort = m_selection.portName;
    m_downloadPercent = 0;
    connect(task, &BoardTask::transferred, this, [this](const TransferProgress &progress) {
        const int percent = progress.percent();
        if (percent == m_downloadPercent)
            return;
        m_downloadPercent = percent;
        emit downloadStatusChanged();
    });
    // A download in parts makes its dialogs as its parts start.
    connect(task, &BoardTask::partStarted, this, &SerialController::downloadStatusChanged);
}

BoardTask *SerialController::startConversation(BoardTask::ReportingWork work, QWidget *owner)
{
    if (isBusy())
        return nullptr;
    BoardTask *task = newTask(std::move(work), owner, nullptr);
    run(task);
    return task;
}

DownloadDialog *SerialController::newProgressDialog(const ProgressCaptions &captions, int total,
                                                    QWidget *owner)
{
    auto *dialog = new DownloadDialog(captions, total, owner ? owner : m_window);
    connect(dialog, &DownloadDialog::accepted, this, [this, dialog] {
        if (dialog != m_progressDialog && !dialog->isRunning())
            dialog->deleteLater();
        emit downloadStatusChanged();
    });
    m_progressDialog = dialog;
    dialog->show();
    emit downloadStatusChanged();
    return dialog;
}

void SerialController::follow(BoardTask *task, DownloadDialog *dialog)
{
    connect(task, &BoardTask::logAppended, dialog, &DownloadDialog::appendLog);
    connect(task, &BoardTask::progressed, dialog, &DownloadDialog::setProgress);
    connect(task, &BoardTask::transferred, dialog, &DownloadDialog::setTransfer);
    connect(task, &BoardTask::memoryErased, dialog, &DownloadDialog::setMemoryErased);
    connect(dialog, &DownloadDialog::stopRequested, task, &BoardTask::stop);
    dialog->setRunning(true);
}

BoardTask *SerialController::newTask(BoardTask::ReportingWork work, QWidget *owner,
                                     DownloadDialog *dialog)
{
    QWidget *boxParent = owner ? owner : m_window;
    auto *task =
        new BoardTask(m_selection.portName, m_table, m_timing, std::move(work), boxParent, this);
    if (owner) {
        // An editor closed while its download runs leaves the boxes to the window.
        connect(owner, &QObject::destroyed, task, [this, task] { task->setBoxParent(m_window); });
    }
    const QPointer<DownloadDialog> shown(dialog);
    const QPointer<QWidget> boxOwner(owner);
    connect(task, &BoardTask::finished, this,
            [this, shown, boxOwner](const DownloadOutcome &outcome) {
                finished(outcome, shown, boxOwner);
            });
    if (dialog)
        follow(task, dialog);
    return task;
}

void SerialController::run(BoardTask *task)
{
    m_task = task;
    task->start();
    updateActions();
    emit busyChanged(true);
}

void SerialController::finished(const DownloadOutcome &outcome, DownloadDialog *dialog,
                                QWidget *owner)
{
    if (m_task)
        m_task->deleteLater();
    m_task = nullptr;
    // A part's dialog never outlives its download.
    delete m_partDialog;
    if (dialog) {
        dialog->finish(outcome.result);
        if (outcome.dismissProgress)
            delete dialog;
    }
    if (outcome.box)
        showFailure(owner ? owner : m_window, *outcome.box);
    updateActions();
    emit busyChanged(false);
    emit downloadStatusChanged();
}

} // namespace Kernwick
