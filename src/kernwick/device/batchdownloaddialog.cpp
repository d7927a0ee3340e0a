#include "device/batchdownloaddialog.h"

#include "widgets/messages.h"

#include "libkernwick/config/bootscriptfile.h"
#include "libkernwick/config/configfile.h"
#include "libkernwick/config/setupfile.h"
#include "libkernwick/device/bootscriptdownload.h"
#include "libkernwick/device/configdownload.h"
#include "libkernwick/device/firmwaredownload.h"
#include "libkernwick/device/fontdownload.h"
#include "libkernwick/device/setupdownload.h"
#include "libkernwick/io/savefile.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QTextCursor>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace Kernwick {

namespace {

enum Column
{
    PortColumn,
    ProgressColumn,
    StateColumn,
    TimeColumn
};

QString secondsText(qint64 ms)
{
    return QStringLiteral("%1 s").arg(double(ms) / 1000.0, 0, 'f', 1);
}

// The part a setup download's captions name: "Downloading Font: a.zvf" -> "Font".
QString partName(const QString &fileLine)
{
    QString name = fileLine.section(QLatin1Char(':'), 0, 0);
    if (name.startsWith(QLatin1String("Downloading ")))
        name = name.mid(int(qstrlen("Downloading ")));
    return name;
}

} // namespace

BatchDownloadDialog::BatchDownloadDialog(PortTable table, std::bitset<PortTable::PortCount> present,
                                         qint32 baudRate, LinkTiming timing, QWidget *parent)
    : QDialog(parent), m_table(std::move(table)), m_baudRate(baudRate), m_timing(std::move(timing)),
      m_kind(new QComboBox), m_way(new QComboBox),
      m_deviceLabel(new QLabel(QStringLiteral("Memory &device:"))), m_device(new QSpinBox),
      m_file(new QLineEdit), m_browse(new QPushButton(QStringLiteral("&Browse..."))),
      m_ports(new QListWidget), m_rows(new QTreeWidget), m_log(new QPlainTextEdit),
      m_start(new QPushButton(QStringLiteral("&Start"))),
      m_stop(new QPushButton(QStringLiteral("S&top"))),
      m_saveReport(new QPushButton(QStringLiteral("Save &Report..."))), m_clock(new QTimer(this))
{
    setWindowTitle(QStringLiteral("Download to Many Boards"));
    m_kind->addItems({QStringLiteral("Font"), QStringLiteral("Firmware"),
                      QStringLiteral("Configuration file"), QStringLiteral("Boot script"),
                      QStringLiteral("Setup bundle")});
    m_device->setRange(0, MaxMemoryDevice);
    m_device->setValue(DefaultMemoryDevice);
    m_deviceLabel->setBuddy(m_device);

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(m_browse);
    auto *choices = new QFormLayout;
    choices->addRow(QStringLiteral("&Kind:"), m_kind);
    choices->addRow(QStringLiteral("&Way:"), m_way);
    choices->addRow(m_deviceLabel, m_device);
    auto *fileLabel = new QLabel(QStringLiteral("&File:"));
    fileLabel->setBuddy(m_file);
    choices->addRow(fileLabel, fileRow);

    for (int n = 1; n <= PortTable::PortCount; ++n) {
        const QString device = m_table.device(n);
        if (device.isEmpty())
            continue;
        auto *item = new QListWidgetItem(
            QStringLiteral("%1 (%2)").arg(PortTable::portName(n), device), m_ports);
        item->setData(Qt::UserRole, PortTable::portName(n));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(present.test(std::size_t(n - 1)) ? Qt::Checked : Qt::Unchecked);
    }
    m_ports->setMaximumHeight(110);

    m_rows->setColumnCount(4);
    m_rows->setHeaderLabels({QStringLiteral("Port"), QStringLiteral("Progress"),
                             QStringLiteral("State"), QStringLiteral("Time")});
    m_rows->setRootIsDecorated(false);
    m_rows->setSelectionMode(QAbstractItemView::SingleSelection);
    m_rows->header()->setSectionResizeMode(StateColumn, QHeaderView::Stretch);
    m_rows->header()->setStretchLastSection(false);
    m_rows->setColumnWidth(PortColumn, 90);
    m_rows->setColumnWidth(ProgressColumn, 180);
    m_log->setReadOnly(true);
    m_log->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_log->setPlaceholderText(QStringLiteral("Select a port to see its log"));

    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(m_rows);
    splitter->addWidget(m_log);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto *buttons = new QDialogButtonBox;
    buttons->addButton(m_start, QDialogButtonBox::ActionRole);
    buttons->addButton(m_stop, QDialogButtonBox::ActionRole);
    buttons->addButton(m_saveReport, QDialogButtonBox::ActionRole);
    QPushButton *close = buttons->addButton(QDialogButtonBox::Close);
    m_start->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(new QLabel(QStringLiteral("&Ports:")));
    layout->addWidget(m_ports);
    layout->addWidget(splitter, 1);
    layout->addWidget(buttons);
    qobject_cast<QLabel *>(layout->itemAt(1)->widget())->setBuddy(m_ports);

    connect(m_kind, &QComboBox::currentIndexChanged, this, &BatchDownloadDialog::kindChanged);
    connect(m_browse, &QPushButton::clicked, this, &BatchDownloadDialog::browse);
    connect(m_start, &QPushButton::clicked, this, &BatchDownloadDialog::start);
    connect(m_stop, &QPushButton::clicked, this, &BatchDownloadDialog::stop);
    connect(m_saveReport, &QPushButton::clicked, this, &BatchDownloadDialog::saveReport);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_rows, &QTreeWidget::currentItemChanged, this, [this] {
        const int row = m_rows->indexOfTopLevelItem(m_rows->currentItem());
        m_log->setPlainText(row >= 0 ? m_rowData[row].log : QString());
        m_log->verticalScrollBar()->setValue(m_log->verticalScrollBar()->maximum());
    });
    connect(m_clock, &QTimer::timeout, this, &BatchDownloadDialog::updateTimes);
    m_clock->setInterval(500);

    kindChanged();
    updateButtons();
    resize(680, 640);
}

BatchDownloadDialog::~BatchDownloadDialog()
{
    // The boards' threads end before anything they report to goes.
    m_batch.reset();
}

void BatchDownloadDialog::stopAndWait()
{
    if (!m_batch)
        return;
    m_batch->stop();
    m_batch->wait();
    // Delivers the reports still on their way, the ends among them.
    QCoreApplication::sendPostedEvents(this);
}

void BatchDownloadDialog::setPortsBusy(bool busy)
{
    m_portsBusy = busy;
    updateButtons();
}

void BatchDownloadDialog::setKind(BatchKind kind)
{
    m_kind->setCurrentIndex(int(kind));
}

BatchKind BatchDownloadDialog::kind() const
{
    return BatchKind(m_kind->currentIndex());
}

void BatchDownloadDialog::setWay(int way)
{
    m_way->setCurrentIndex(way);
}

void BatchDownloadDialog::setFontDevice(int device)
{
    m_device->setValue(device);
}

void BatchDownloadDialog::setFilePath(const QString &path)
{
    m_file->setText(path);
}

void BatchDownloadDialog::setPortChecked(const QString &portName, bool checked)
{
    for (int n = 0; n < m_ports->count(); ++n) {
        QListWidgetItem *item = m_ports->item(n);
        if (item->data(Qt::UserRole).toString() == portName)
            item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

QStringList BatchDownloadDialog::checkedPorts() const
{
    QStringList ports;
    for (int n = 0; n < m_ports->count(); ++n) {
        const QListWidgetItem *item = m_ports->item(n);
        if (item->checkState() == Qt::Checked)
            ports.append(item->data(Qt::UserRole).toString());
    }
    return ports;
}

int BatchDownloadDialog::rowCount() const
{
    return m_rows->topLevelItemCount();
}

QString BatchDownloadDialog::rowPort(int row) const
{
    return m_rows->topLevelItem(row)->text(PortColumn);
}

QString BatchDownloadDialog::rowState(int row) const
{
    return m_rows->topLevelItem(row)->text(StateColumn);
}

int BatchDownloadDialog::rowProgress(int row) const
{
    return rowBar(row)->value();
}

int BatchDownloadDialog::rowProgressMaximum(int row) const
{
    return rowBar(row)->maximum();
}

QString BatchDownloadDialog::rowTime(int row) const
{
    return m_rows->topLevelItem(row)->text(TimeColumn);
}

void BatchDownloadDialog::selectRow(int row)
{
    m_rows->setCurrentItem(m_rows->topLevelItem(row));
}

QString BatchDownloadDialog::logText() const
{
    return m_log->toPlainText();
}

QProgressBar *BatchDownloadDialog::rowBar(int row) const
{
    return qobject_cast<QProgressBar *>(
        m_rows->itemWidget(m_rows->topLevelItem(row), ProgressColumn));
}

void BatchDownloadDialog::kindChanged()
{
    const BatchKind chosen = kind();
    m_way->clear();
    if (chosen == BatchKind::Font)
        m_way->addItems({QStringLiteral("Main port"), QStringLiteral("Debug port")});
    else if (chosen == BatchKind::Firmware)
        m_way->addItems(
            {QStringLiteral("Main port"), QStringLiteral("Debug port"), QStringLiteral("Repair")});
    m_way->setEnabled(m_way->count() > 0);
    m_device->setEnabled(chosen == BatchKind::Font);
    m_deviceLabel->setEnabled(chosen == BatchKind::Font);
}

void BatchDownloadDialog::updateButtons()
{
    const bool running = isRunning();
    m_start->setEnabled(!running && !m_portsBusy);
    m_stop->setEnabled(running);
    m_saveReport->setEnabled(!running && !m_results.isEmpty());
    for (QWidget *choice : std::initializer_list<QWidget *>{m_kind, m_file, m_browse, m_ports})
        choice->setEnabled(!running);
    m_way->setEnabled(!running && m_way->count() > 0);
    m_device->setEnabled(!running && kind() == BatchKind::Font);
}

void BatchDownloadDialog::browse()
{
    static const char *const filters[] = {"ZUVO Font Files (*.zvf);;All Files (*)", "All Files (*)",
                                          "ZUVO Configuration Files (*.zvc);;All Files (*)",
                                          "ZUVO Boot Script Files (*.zvb);;All Files (*)",
                                          "ZUVO Setup Files (*.zvs);;All Files (*)"};
    FileRequest request =
        FileRequest::open(QStringLiteral("Open"), QString::fromLatin1(filters[int(kind())]));
    request.suggestion = m_file->text();
    const QString path = chooseFile(this, request);
    if (!path.isEmpty())
        m_file->setText(path);
}

BoardDownloadWork BatchDownloadDialog::makeWork()
{
    const QString path = m_file->text();
    const qint32 baud = m_baudRate;
    QString error;
    switch (kind()) {
    case BatchKind::Font:
    case BatchKind::Firmware: {
        QFile file(path);
        if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
            showFailure(this, fileErrorBox());
            return {};
        }
        // Each board reads the file through a reader of its own.
        const auto opened = [path](Conversation &conversation, const auto &send) {
            QFile boardFile(path);
            if (!boardFile.open(QIODevice::ReadOnly))
                return DownloadOutcome(DownloadResult::Failed, fileErrorBox());
            return send(conversation, boardFile);
        };
        if (kind() == BatchKind::Font) {
            const FontDownload request{
                m_device->value(),
                m_way->currentIndex() == 1 ? FontDialect::DebugPort : FontDialect::MainPort, baud};
            return [opened, request](Conversation &conversation) {
                return opened(conversation, [&request](Conversation &c, QIODevice &file) {
                    return downloadFont(c, file, request);
                });
            };
        }
        static const FirmwareDialect ways[] = {FirmwareDialect::MainPort,
                                               FirmwareDialect::DebugPort, FirmwareDialect::Repair};
        const FirmwareDownload request{ways[qBound(0, m_way->currentIndex(), 2)], baud};
        return [opened, request](Conversation &conversation) {
            return opened(conversation, [&request](Conversation &c, QIODevice &file) {
                return downloadFirmware(c, file, request);
            });
        };
    }
    case BatchKind::Configuration: {
        DeviceConfig config;
        if (!loadConfigFile(path, &config, &error))
            break;
        return [config, baud](Conversation &c) { return downloadConfiguration(c, config, baud); };
    }
    case BatchKind::BootScript: {
        QByteArray script;
        if (!loadBootScriptFile(path, &script, &error))
            break;
        return [script, baud](Conversation &c) { return downloadBootScript(c, script, baud); };
    }
    case BatchKind::Setup: {
        SetupBundle bundle;
        if (!loadSetupFile(path, &bundle, &error))
            break;
        return [bundle, baud](Conversation &c) { return downloadSetup(c, bundle, baud); };
    }
    }
    showWarning(this, error.contains(path) ? error : QStringLiteral("%1: %2").arg(path, error));
    return {};
}

void BatchDownloadDialog::start()
{
    if (isRunning() || m_portsBusy)
        return;
    const QStringList ports = checkedPorts();
    if (ports.isEmpty()) {
        showWarning(this, QStringLiteral("Tick the ports of the boards to download to."));
        return;
    }
    const QString problem = batchPortsProblem(ports, m_table);
    if (!problem.isEmpty()) {
        showWarning(this, problem);
        return;
    }
    BoardDownloadWork work = makeWork();
    if (!work)
        return;

    m_rows->clear();
    m_log->clear();
    m_rowData = QList<Row>(ports.size());
    m_results.clear();
    for (const QString &port : ports) {
        auto *item =
            new QTreeWidgetItem(m_rows, {port, QString(), QStringLiteral("Waiting"), QString()});
        auto *bar = new QProgressBar;
        bar->setRange(0, 1);
        bar->setValue(0);
        bar->setTextVisible(false);
        m_rows->setItemWidget(item, ProgressColumn, bar);
    }

    // Every report goes to the window's thread, queued in order behind the others.
    const auto post = [this](auto report) {
        QMetaObject::invokeMethod(this, std::move(report), Qt::QueuedConnection);
    };
    BatchHooks hooks{
        .conversation =
            [this, post](int board) {
                return ConversationHooks{
                    .appendLog =
                        [this, post, board](const QString &text) {
                            post([this, board, text] { logAppended(board, text); });
                        },
                    .showBox =
                        [this, post, board](const BoxMessage &box) {
                            const QString text = box.text.isEmpty() ? box.caption : box.text;
                            post([this, board, text] {
                                logAppended(board, text + QStringLiteral("\r\n"));
                            });
                        },
                    .progress =
                        [this, post, board](int done, int total) {
                            post([this, board, done, total] { progressed(board, done, total); });
                        },
                    .partStarted =
                        [this, post, board](const ProgressCaptions &captions, int) {
                            post([this, board, line = captions.fileLine] {
                                partStarted(board, line);
                            });
                        },
                };
            },
        .attemptStarted =
            [this, post](int board, int attempt) {
                post([this, board, attempt] { attemptStarted(board, attempt); });
            },
        .finished =
            [this, post](int board, const BoardResult &result) {
                post([this, board, result] { boardFinished(board, result); });
            },
    };
    m_batch = std::make_unique<BatchDownload>(ports, m_table, m_timing, std::move(work), hooks);
    m_running = int(ports.size());
    m_batch->start();
    m_clock->start();
    selectRow(0);
    updateButtons();
    emit runningChanged(true);
}

void BatchDownloadDialog::stop()
{
    if (m_batch)
        m_batch->stop();
}

void BatchDownloadDialog::saveReport()
{
    if (m_results.isEmpty())
        return;
    const QString path = chooseFile(this, FileRequest::save(QStringLiteral("Save Report"),
                                                            QStringLiteral("CSV Files (*.csv)"),
                                                            QStringLiteral("csv")));
    if (path.isEmpty())
        return;
    QString error;
    if (!saveFileAtomically(path, batchReportCsv(m_results), &error))
        showWarning(this, QStringLiteral("%1: %2").arg(path, error));
}

void BatchDownloadDialog::reject()
{
    // Escape does not put a running batch out of reach.
    if (!isRunning())
        QDialog::reject();
}

void BatchDownloadDialog::closeEvent(QCloseEvent *event)
{
    if (isRunning()) {
        // Closes once every board has ended; the window never waits for a line.
        m_closeWhenDone = true;
        stop();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void BatchDownloadDialog::setRowState(int row, const QString &state)
{
    m_rows->topLevelItem(row)->setText(StateColumn, state);
}

QString BatchDownloadDialog::unitName(int row) const
{
    const QString &part = m_rowData[row].part;
    if (part.startsWith(QLatin1String("Font")))
        return QStringLiteral("Chunk");
    if (!part.isEmpty())
        return QStringLiteral("Step");
    switch (kind()) {
    case BatchKind::Font:
        return QStringLiteral("Chunk");
    case BatchKind::Firmware:
        return QStringLiteral("Block");
    default:
        return QStringLiteral("Step");
    }
}

void BatchDownloadDialog::attemptStarted(int row, int attempt)
{
    Row &data = m_rowData[row];
    if (!data.started.isValid())
        data.started = QDateTime::currentDateTimeUtc();
    data.erasing = false;
    data.part.clear();
    setRowState(row, attempt > 1 ? QStringLiteral("Detecting (attempt %1)").arg(attempt)
                                 : QStringLiteral("Detecting"));
}

void BatchDownloadDialog::logAppended(int row, const QString &text)
{
    Row &data = m_rowData[row];
    QString shown = text;
    shown.remove(QLatin1Char('\r'));
    data.log += shown;
    if (text.contains(QLatin1String("Sending memory erase command"))) {
        data.erasing = true;
        setRowState(row, QStringLiteral("Erasing"));
    }
    if (m_rows->indexOfTopLevelItem(m_rows->currentItem()) == row) {
        // A log scrolled to its end follows the new text; the user's place is kept.
        QScrollBar *bar = m_log->verticalScrollBar();
        const bool atEnd = bar->value() == bar->maximum();
        QTextCursor end(m_log->document());
        end.movePosition(QTextCursor::End);
        end.insertText(shown);
        if (atEnd)
            bar->setValue(bar->maximum());
    }
}

void BatchDownloadDialog::progressed(int row, int done, int total)
{
    QProgressBar *bar = rowBar(row);
    bar->setRange(0, qMax(total, 1));
    bar->setValue(qBound(0, done, qMax(total, 1)));
    if (done <= 0 || m_rowData[row].finished)
        return;
    const Row &data = m_rowData[row];
    const QString count =
        QStringLiteral("%1 %2 of %3").arg(unitName(row)).arg(qMin(done, total)).arg(total);
    setRowState(row, data.part.isEmpty()
                         ? count
                         : QStringLiteral("%1: %2").arg(data.part, count.toLower()));
}

void BatchDownloadDialog::partStarted(int row, const QString &fileLine)
{
    m_rowData[row].part = partName(fileLine);
    setRowState(row, m_rowData[row].part);
}

void BatchDownloadDialog::boardFinished(int row, const BoardResult &result)
{
    Row &data = m_rowData[row];
    data.finished = true;
    data.finishedAt = QDateTime::currentDateTimeUtc();
    setRowState(row, boardResultText(result));
    if (result.result == DownloadResult::Completed) {
        QProgressBar *bar = rowBar(row);
        bar->setValue(bar->maximum());
    }
    m_rows->topLevelItem(row)->setText(TimeColumn, secondsText(result.elapsedMs()));
    if (--m_running > 0)
        return;
    // The last board: every port is closed, so the threads end at once.
    m_batch->wait();
    m_results = m_batch->results();
    m_batch.reset();
    m_clock->stop();
    updateButtons();
    emit runningChanged(false);
    if (m_closeWhenDone) {
        m_closeWhenDone = false;
        close();
    }
}

void BatchDownloadDialog::updateTimes()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int row = 0; row < m_rowData.size(); ++row) {
        const Row &data = m_rowData[row];
        if (data.started.isValid() && !data.finished)
            m_rows->topLevelItem(row)->setText(TimeColumn, secondsText(data.started.msecsTo(now)));
    }
}

} // namespace Kernwick
