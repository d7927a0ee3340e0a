#pragma once

#include "libkernwick/device/download.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace Kernwick {

/// "Download To ZUVO/MIRL": the progress of one download. Two caption lines name
/// the file and the port, the log grows with every step, the bar counts the blocks
/// or chunks sent. Not modal; it stays on screen after its download until the user
/// presses Done, which hides it. Escape and the close box do nothing. Stop ends
/// the download while it runs.
class DownloadDialog : public QDialog
{
    Q_OBJECT

public:
    DownloadDialog(const ProgressCaptions &captions, int progressTotal, QWidget *parent = nullptr);

    QString fileLine() const;
    QString portLine() const;
    /// The log as shown, lines ended by "\n".
    QString logText() const;
    int progressValue() const;
    int progressMaximum() const;

    /// Adds `text` at the end of the log; "\r\n" ends a line. The user's own
    /// selection and scroll position in the log are kept, except that a log
    /// scrolled to its end follows the new text.
    void appendLog(const QString &text);
    /// `done` of `total` pieces sent; a count past the total (a short last piece)
    /// shows a full bar.
    void setProgress(int done, int total);
    /// Whether the download still runs: Stop is offered only then.
    void setRunning(bool running);
    bool isRunning() const { return m_running; }

    QPushButton *doneButton() const { return m_done; }
    QPushButton *stopButton() const { return m_stop; }

    /// Done: hides the dialog.
    void accept() override;
    /// Escape and the close box: nothing.
    void reject() override;

signals:
    /// The user pressed Stop.
    void stopRequested();

private:
    QLabel *m_fileLine;
    QLabel *m_portLine;
    QPlainTextEdit *m_log;
    QProgressBar *m_progress;
    QPushButton *m_done;
    QPushButton *m_stop;
    bool m_running = false;
};

/// Gives the progress dialogs that `from` owns to `to`, each left on screen (or
/// put away) as it was: a modal editor that closes while the dialog of a download
/// it started is still wanted leaves that dialog to the main window.
void handOverProgressDialogs(QWidget *from, QWidget *to);

} // namespace Kernwick
