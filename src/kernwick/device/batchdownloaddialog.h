#pragma once

#include "libkernwick/device/batchdownload.h"
#include "libkernwick/device/linktiming.h"
#include "libkernwick/device/porttable.h"

#include <QDateTime>
#include <QDialog>
#include <QList>
#include <QStringList>

#include <bitset>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;
class QTreeWidget;

namespace Kernwick {

/// What a batch downloads, as the window offers it.
enum class BatchKind
{
    Font,
    Firmware,
    Configuration,
    BootScript,
    Setup
};

/// "Download to Many Boards": the same download on many ports at once. The user
/// picks the kind (a font with its memory device and dialect, firmware with its way
/// to the boot monitor, a configuration file, a boot script or a setup bundle), its
/// file and the ports of the port table (the present ones ticked), then Start. Each
/// board runs on a thread of its own and reports through queued calls, so the window
/// never waits on a line: one row per port shows its name, a progress bar, its state
/// ("Detecting", "Erasing", "Chunk 12 of 40", "Completed", "Failed: ...") and its
/// time, and the selected row's log shows below. Stop ends every board at its next
/// safe point; Save Report writes the results as CSV. Not modal.
class BatchDownloadDialog : public QDialog
{
    Q_OBJECT

public:
    /// The ports are those of `table`, the ones in `present` ticked; the boards are
    /// spoken to at `baudRate` with `timing` (pacing and read time-out).
    BatchDownloadDialog(PortTable table, std::bitset<PortTable::PortCount> present, qint32 baudRate,
                        LinkTiming timing, QWidget *parent = nullptr);
    /// Stops a batch that still runs and waits until every port is closed.
    ~BatchDownloadDialog() override;

    bool isRunning() const { return m_batch != nullptr; }
    /// Stops the batch and waits until every port is closed (the program closing).
    void stopAndWait();
    /// Whether another conversation holds a port now: Start waits until it ends.
    void setPortsBusy(bool busy);

    // The choices, as the user makes them.
    void setKind(BatchKind kind);
    BatchKind kind() const;
    /// The way the board is reached: for a font main or debug port, for firmware main
    /// port, debug port or repair (see the Way list's order).
    void setWay(int way);
    void setFontDevice(int device);
    void setFilePath(const QString &path);
    /// Ticks or unticks the row of port `portName` in the port list.
    void setPortChecked(const QString &portName, bool checked);
    QStringList checkedPorts() const;

    // What it shows.
    int rowCount() const;
    QString rowPort(int row) const;
    QString rowState(int row) const;
    int rowProgress(int row) const;
    int rowProgressMaximum(int row) const;
    QString rowTime(int row) const;
    void selectRow(int row);
    /// The selected row's log, lines ended by "\n".
    QString logText() const;
    /// The boards' results of the last batch, in row order.
    const QList<BoardResult> &results() const { return m_results; }

    QPushButton *startButton() const { return m_start; }
    QPushButton *stopButton() const { return m_stop; }
    QPushButton *saveReportButton() const { return m_saveReport; }
    QPushButton *browseButton() const { return m_browse; }

public slots:
    /// Start: checks the choices and starts a board on every ticked port.
    void start();
    /// Stop: every board ends at its next safe point.
    void stop();
    /// Save Report...: asks for a file and writes the results as CSV.
    void saveReport();

    /// Escape: hides the window, except while a batch runs.
    void reject() override;

signals:
    /// A batch began (true) or its last board ended (false).
    void runningChanged(bool running);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    struct Row
    {
        QString log;
        QString part; ///< the part of a download in parts that runs ("Font")
        bool erasing = false;
        bool finished = false;
        QDateTime started;
        QDateTime finishedAt;
    };

    void browse();
    void kindChanged();
    void updateButtons();
    /// The steps of one board's download for the choices; null (a box shown) when
    /// the file cannot be used.
    BoardDownloadWork makeWork();
    /// A row's reports, on the window's thread.
    void attemptStarted(int row, int attempt);
    void logAppended(int row, const QString &text);
    void progressed(int row, int done, int total);
    void partStarted(int row, const QString &fileLine);
    void boardFinished(int row, const BoardResult &result);
    void updateTimes();
    void setRowState(int row, const QString &state);
    QProgressBar *rowBar(int row) const;
    /// "Chunk", "Block" or "Step": what the progress counts for the kind or part.
    QString unitName(int row) const;

    PortTable m_table;
    qint32 m_baudRate;
    LinkTiming m_timing;
    bool m_portsBusy = false;
    bool m_closeWhenDone = false;

    QComboBox *m_kind;
    QComboBox *m_way;
    QLabel *m_deviceLabel;
    QSpinBox *m_device;
    QLineEdit *m_file;
    QPushButton *m_browse;
    QListWidget *m_ports;
    QTreeWidget *m_rows;
    QPlainTextEdit *m_log;
    QPushButton *m_start;
    QPushButton *m_stop;
    QPushButton *m_saveReport;
    QTimer *m_clock;

    std::unique_ptr<BatchDownload> m_batch;
    QList<Row> m_rowData;
    QList<BoardResult> m_results;
    int m_running = 0;
};

} // namespace Kernwick
