#pragma once

#include "device/boardtask.h"
#include "device/conversationhost.h"

#include "libkernwick/device/linktiming.h"
#include "libkernwick/device/porttable.h"

#include <QObject>
#include <QPointer>

class QAction;
class QWidget;

namespace Kernwick {

class BatchDownloadDialog;
class BoardDialogs;
class DownloadCommands;
class DownloadDialog;
struct DownloadJob;
struct MainActions;

/// The Serial menu's side of the main window: the chosen port and baud rate, the
/// start-up probe, and the commands that talk to the board. One conversation runs
/// at a time, on a thread of its own; while it runs, the commands that use the port
/// are disabled.
class SerialController : public QObject, public ConversationHost
{
    Q_OBJECT

public:
    SerialController(MainActions &actions, QWidget *window, PortTable table);
    ~SerialController() override;

    const SerialSelection &selection() const override { return m_selection; }
    const PortTable &portTable() const { return m_table; }
    /// The start-up probe: which of com1 to com16 open, the first of com1 to com8.
    void probe();
    /// Probes again (when the Port menu opens and before each port command), so a
    /// port that was busy or unplugged comes back: the chosen port stays chosen
    /// while it opens, otherwise the first present of com1 to com8 is chosen. Does
    /// nothing while a conversation holds the port, which would not open.
    void refreshPorts();
    /// Re-reads the table from the system's serial devices on every refresh, so an
    /// adapter plugged in later is found too (the program's own table; tests keep
    /// theirs fixed).
    void setTableFromSystem(bool fromSystem) { m_tableFromSystem = fromSystem; }
    /// The check at the start of every port command: refreshes the ports and, when
    /// none is usable, says so in a box in front of `owner` (the window when null).
    /// True when the command may go on.
    bool checkPort(QWidget *owner = nullptr);
    /// Why the chosen port cannot be opened now ("com1 (/dev/ttyUSB0): Permission
    /// denied"); empty when it opens.
    QString portProblem() const override;
    /// Sets the selection directly (for the probe's result and for tests).
    void setSelection(const SerialSelection &selection);

    /// The pacing and read time-out of the conversations started from now on. The
    /// real ones are the default; tests talking to a simulator set a zero pacing.
    void setLinkTiming(LinkTiming timing) { m_timing = std::move(timing); }
    const LinkTiming &linkTiming() const { return m_timing; }

    bool isBusy() const override;
    /// Stops a running conversation as Stop does and waits until its port is closed.
    void stopAll();

    /// "Test com": opens the port and writes "Hello there!".
    void testCom();

    /// Runs a download: a new progress dialog with the job's captions and range
    /// (the newest, which the window keeps), the conversation on its own thread
    /// with its log and progress in that dialog and Stop offered there, and at the
    /// end the outcome's box. A download in parts gets a dialog per part instead,
    /// each gone when its part ends. Dialogs and boxes stand in front of the job's
    /// owner while it is there. False (nothing done) while another conversation runs.
    bool startDownload(DownloadJob job);
    /// The progress dialog of the newest download (or of the part of one that
    /// runs), if it still exists.
    DownloadDialog *progressDialog() const;
    /// Brings the progress dialog of the newest download back on screen (Serial >
    /// Show Download, a click on the status bar's download line).
    void showDownload();
    /// While a download runs with its dialog put away, what the status bar says of
    /// it ("Downloading font to com1: 40 %"); empty otherwise.
    QString downloadStatus() const;

    /// Runs a conversation that shows no progress dialog (the terminal's line), its
    /// message boxes in front of `owner`. Returns the task, whose reports the caller
    /// listens to and which it stops, or null (nothing done) while another
    /// conversation runs. Its reports come through the window's event loop, so
    /// connections made on return hear them all; the task is gone once it has
    /// reported its end.
    BoardTask *startConversation(BoardTask::ReportingWork work, QWidget *owner) override;

    /// "Download to Many Boards...": shows the batch window (made on first use, on the
    /// ports present and the chosen rate). While its batch runs the other port
    /// commands are disabled, and it cannot start while another conversation runs.
    void openBatchDownload();
    BatchDownloadDialog *batchDialog() const;

    DownloadCommands &downloads() { return *m_downloads; }
    BoardDialogs &dialogs() { return *m_dialogs; }

signals:
    void busyChanged(bool busy);
    /// downloadStatus() or whether there is a dialog to show may have changed.
    void downloadStatusChanged();
    /// The chosen port or rate, or the ports present, changed.
    void selectionChanged();

private:
    /// A conversation on the selection, its boxes in front of `owner` (the window
    /// when null) and its log and progress in `dialog` (if any); not yet started.
    BoardTask *newTask(BoardTask::ReportingWork work, QWidget *owner, DownloadDialog *dialog);
    /// Starts `task` as the one conversation, which disables the port commands.
    void run(BoardTask *task);
    void finished(const DownloadOutcome &outcome, DownloadDialog *dialog, QWidget *owner);
    /// A new progress dialog in front of `owner` (the window when null), shown.
    DownloadDialog *newProgressDialog(const ProgressCaptions &captions, int total, QWidget *owner);
    /// Shows the log and progress of `task` in `dialog` and offers Stop there.
    void follow(BoardTask *task, DownloadDialog *dialog);
    /// Follows `task`'s transfer figures for the status bar's download line.
    void followForStatus(BoardTask *task, const QString &subject);
    void updateActions();
    /// The commands that use the port.
    QList<QAction *> portCommands() const;

    MainActions &m_actions;
    QWidget *m_window;
    PortTable m_table;
    bool m_tableFromSystem = false;
    SerialSelection m_selection;
    LinkTiming m_timing;
    QPointer<BoardTask> m_task;
    QPointer<DownloadDialog> m_progressDialog;
    /// The dialog of the part that runs, in a download in parts.
    QPointer<DownloadDialog> m_partDialog;
    /// The user put the dialog of the last part away: the next part's starts hidden.
    bool m_partsPutAway = false;
    QPointer<BatchDownloadDialog> m_batchDialog;
    /// The download the status bar speaks of: what goes, to which port, how far.
    QString m_downloadSubject;
    QString m_downloadPort;
    int m_downloadPercent = 0;
    DownloadCommands *m_downloads;
    BoardDialogs *m_dialogs;
};

} // namespace Kernwick
