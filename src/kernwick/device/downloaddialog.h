#pragma once

#include "libkernwick/device/download.h"
#include "libkernwick/device/transferprogress.h"

#include <optional>

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace Kernwick {

/// "Download To ZUVO/MIRL": the progress of one download. A heading says whether it
/// runs or how it ended, two caption lines name the file and the port, the log grows
/// with every step, the bar counts the blocks or chunks sent and the figures under
/// it say how far the transfer is (done of total, bytes sent, rate, time left). Not
/// modal; it stays on screen after its download until the user presses Done, which
/// hides it. Escape and the close box do nothing. Stop ends the download while it
/// runs, after a question once the board's memory has been erased.
class DownloadDialog : public QDialog
{
    Q_OBJECT

public:
    DownloadDialog(const ProgressCaptions &captions, int progressTotal, QWidget *parent = nullptr);

    QString heading() const;
    QString fileLine() const;
    QString portLine() const;
    /// The transfer figures as shown: "12 of 64 chunks (18 %)".
    QString countLine() const;
    /// "3964 bytes sent, 50 bytes/s, 5 min 23 s left".
    QString rateLine() const;
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
    /// Shows the figures of the transfer under way.
    void setTransfer(const TransferProgress &progress);
    /// The board's memory `device` has been erased: Stop asks before it stops.
    void setMemoryErased(int device);
    /// Whether the download still runs: Stop is offered only then.
    void setRunning(bool running);
    /// The download has ended with `result`: the heading says how, Stop goes.
    void finish(DownloadResult result);
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
    void askToStop();

    QLabel *m_heading;
    QLabel *m_fileLine;
    QLabel *m_portLine;
    QPlainTextEdit *m_log;
    QProgressBar *m_progress;
    QLabel *m_countLine;
    QLabel *m_rateLine;
    QPushButton *m_done;
    QPushButton *m_stop;
    bool m_running = false;
    std::optional<int> m_erasedDevice;
    std::optional<TransferProgress> m_transfer;
};

/// Gives the progress dialogs that `from` owns to `to`, each left on screen (or
/// put away) as it was: a modal editor that closes while the dialog of a download
/// it started is still wanted leaves that dialog to the main window.
void handOverProgressDialogs(QWidget *from, QWidget *to);

} // namespace Kernwick
