#include "device/downloaddialog.h"

#include "widgets/messages.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>

namespace Kernwick {

namespace {

// The dialog's layout is drawn in dialog units: a quarter of the font's average
// character width across, an eighth of its height down.
QSize dialogUnits(const QWidget *widget, int across, int down)
{
    const QFontMetricsF metrics(widget->font());
    const qreal unitX = metrics.horizontalAdvance(QStringLiteral(
                            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                        52.0 / 4.0;
    const qreal unitY = metrics.height() / 8.0;
    return {qRound(across * unitX), qRound(down * unitY)};
}

QLabel *captionLine(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A line whose text comes and goes keeps its height, so the dialog does not jump.
QLabel *figuresLine(QWidget *parent)
{
    QLabel *label = captionLine(QString(), parent);
    label->setMinimumHeight(label->fontMetrics().height());
    return label;
}

QString headingFor(DownloadResult result)
{
    switch (result) {
    case DownloadResult::Completed:
        return QStringLiteral("Download complete");
    case DownloadResult::Failed:
        return QStringLiteral("Download failed");
    case DownloadResult::Stopped:
        return QStringLiteral("Download stopped");
    }
    return {};
}

} // namespace

DownloadDialog::DownloadDialog(const ProgressCaptions &captions, int progressTotal, QWidget *parent)
    : QDialog(parent), m_heading(figuresLine(this)),
      m_fileLine(captionLine(captions.fileLine, this)),
      m_portLine(captionLine(captions.portLine, this)), m_log(new QPlainTextEdit(this)),
      m_progress(new QProgressBar(this)), m_countLine(figuresLine(this)),
      m_rateLine(figuresLine(this)), m_done(new QPushButton(QStringLiteral("Done"), this)),
      m_stop(new QPushButton(QStringLiteral("Stop"), this))
{
    setWindowTitle(QStringLiteral("Download To ZUVO/MIRL"));
    setModal(false);

    QFont headingFont = m_heading->font();
    headingFont.setBold(true);
    m_heading->setFont(headingFont);

    m_log->setReadOnly(true);
    m_log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_log->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_log->setMinimumSize(dialogUnits(this, 191, 85));

    m_progress->setTextVisible(false);
    setProgress(0, progressTotal);

    m_done->setDefault(true);
    // Enter must not stop a download by accident.
    m_stop->setAutoDefault(false);
    m_stop->setToolTip(QStringLiteral("End the download at its next step"));
    connect(m_done, &QPushButton::clicked, this, &DownloadDialog::accept);
    connect(m_stop, &QPushButton::clicked, this, &DownloadDialog::askToStop);
    setRunning(false);

    const QSize margin = dialogUnits(this, 7, 7);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_done);
    buttons->addWidget(m_stop);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(margin.width(), margin.height(), margin.width(), margin.height());
    layout->addWidget(m_heading);
    layout->addSpacing(dialogUnits(this, 0, 4).height());
    layout->addWidget(m_fileLine);
    layout->addWidget(m_portLine);
    layout->addSpacing(dialogUnits(this, 0, 10).height());
    layout->addWidget(m_log, 1);
    layout->addSpacing(dialogUnits(this, 0, 10).height());
    layout->addWidget(m_progress);
    layout->addWidget(m_countLine);
    layout->addWidget(m_rateLine);
    layout->addSpacing(dialogUnits(this, 0, 4).height());
    layout->addLayout(buttons);
    resize(dialogUnits(this, 205, 204).expandedTo(sizeHint()));
}

QString DownloadDialog::heading() const
{
    return m_heading->text();
}

QString DownloadDialog::fileLine() const
{
    return m_fileLine->text();
}

QString DownloadDialog::portLine() const
{
    return m_portLine->text();
}

QString DownloadDialog::countLine() const
{
    return m_countLine->text();
}

QString DownloadDialog::rateLine() const
{
    return m_rateLine->text();
}

QString DownloadDialog::logText() const
{
    return m_log->toPlainText();
}

int DownloadDialog::progressValue() const
{
    return m_progress->value();
}

int DownloadDialog::progressMaximum() const
{
    return m_progress->maximum();
}

void DownloadDialog::appendLog(const QString &text)
{
    QString shown = text;
    shown.remove(QLatin1Char('\r'));
    if (shown.isEmpty())
        return;
    QScrollBar *scroll = m_log->verticalScrollBar();
    const bool following = scroll->value() == scroll->maximum();
    // A cursor of its own: the text goes to the end wherever the user has clicked,
    // and what the user selected stays selected.
    QTextCursor end(m_log->document());
    end.movePosition(QTextCursor::End);
    end.insertText(shown);
    if (following)
        scroll->setValue(scroll->maximum());
}

void DownloadDialog::setProgress(int done, int total)
{
    // An empty range would turn the bar into a busy indicator; a file smaller than
    // one piece counts as one.
    const int maximum = std::max(total, 1);
    m_progress->setRange(0, maximum);
    m_progress->setValue(std::clamp(done, 0, maximum));
}

void DownloadDialog::setTransfer(const TransferProgress &progress)
{
    m_transfer = progress;
    m_countLine->setText(progressCountText(progress));
    m_rateLine->setText(progressRateText(progress));
}

void DownloadDialog::setMemoryErased(int device)
{
    m_erasedDevice = device;
}

void DownloadDialog::setRunning(bool running)
{
    m_running = running;
    m_stop->setEnabled(running);
    if (running)
        m_heading->setText(QStringLiteral("Download in progress"));
}

void DownloadDialog::finish(DownloadResult result)
{
    setRunning(false);
    m_heading->setText(headingFor(result));
    // A transfer that ended short has no time left to estimate.
    if (m_transfer)
        m_rateLine->setText(progressSentText(*m_transfer));
}

void DownloadDialog::askToStop()
{
    // Once the memory is erased, a stop leaves the board without its font until the
    // next download: the user says so first.
    if (m_erasedDevice &&
        !askYesNo(this, QStringLiteral("The board's memory device %1 has been erased. Stop anyway?")
                            .arg(*m_erasedDevice)))
        return;
    // The download may have ended while the question was open.
    if (!m_running)
        return;
    m_stop->setEnabled(false);
    emit stopRequested();
}

void DownloadDialog::accept()
{
    QDialog::accept(); // hides it, log and all
}

void DownloadDialog::reject()
{
    // The dialog reports a download; only Done puts it away.
}

void handOverProgressDialogs(QWidget *from, QWidget *to)
{
    for (DownloadDialog *dialog :
         from->findChildren<DownloadDialog *>(Qt::FindDirectChildrenOnly)) {
        const bool shown = dialog->isVisible();
        const QPoint place = dialog->pos();
        // A new parent takes a window off the screen; it comes back where it was.
        dialog->setParent(to, dialog->windowFlags());
        dialog->move(place);
        if (shown)
            dialog->show();
    }
}

} // namespace Kernwick
