#include "libkernwick/device/batchdownload.h"

#include "libkernwick/device/serialport.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace Kernwick {

namespace {

// The device a port name opens, in one spelling per device: links followed, paths
// made absolute. A com name without a device stays as it is.
QString deviceIdentity(const QString &portName, const PortTable &table)
{
    QString device = table.resolve(portName);
    if (device.isEmpty())
        return portName;
    const QFileInfo info(device);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// The first line of `text` that holds more than line ends, without the stars the
// failure lines are framed in.
QString firstLine(const QString &text)
{
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        QString trimmed = line.trimmed();
        while (trimmed.startsWith(QLatin1Char('*')) || trimmed.endsWith(QLatin1Char('*'))) {
            trimmed = trimmed.startsWith(QLatin1Char('*')) ? trimmed.mid(1) : trimmed.chopped(1);
            trimmed = trimmed.trimmed();
        }
        if (!trimmed.isEmpty())
            return trimmed;
    }
    return {};
}

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString isoTime(const QDateTime &time)
{
    return time.isValid() ? time.toUTC().toString(Qt::ISODateWithMs) : QString();
}

} // namespace

QString batchPortsProblem(const QStringList &portNames, const PortTable &table)
{
    if (portNames.isEmpty())
        return QStringLiteral("No port is named");
    QHash<QString, QString> named; // device identity -> the name that took it
    for (const QString &name : portNames) {
        if (name.trimmed().isEmpty())
            return QStringLiteral("A port name in the list is empty");
        const QString identity = deviceIdentity(name, table);
        const auto earlier = named.constFind(identity);
        if (earlier != named.constEnd()) {
            if (*earlier == name)
                return QStringLiteral("Port %1 is listed twice").arg(name);
            return QStringLiteral("Ports %1 and %2 are the same device (%3)")
                .arg(*earlier, name, identity);
        }
        named.insert(identity, name);
    }
    return {};
}

QString downloadResultName(DownloadResult result)
{
    switch (result) {
    case DownloadResult::Completed:
        return QStringLiteral("Completed");
    case DownloadResult::Stopped:
        return QStringLiteral("Stopped");
    case DownloadResult::Failed:
        break;
    }
    return QStringLiteral("Failed");
}

QString boardResultText(const BoardResult &result)
{
    if (result.result == DownloadResult::Failed && !result.reason.isEmpty())
        return QStringLiteral("Failed: ") + result.reason;
    return downloadResultName(result.result);
}

QByteArray batchReportCsv(const QList<BoardResult> &results)
{
    QString csv = QStringLiteral("port,result,reason,seconds,started,finished\r\n");
    for (const BoardResult &board : results) {
        csv += QStringList{csvField(board.portName),
                           downloadResultName(board.result),
                           csvField(board.reason),
                           QString::number(double(board.elapsedMs()) / 1000.0, 'f', 1),
                           isoTime(board.started),
                           isoTime(board.finished)}
                   .join(QLatin1Char(','));
        csv += QStringLiteral("\r\n");
    }
    return csv.toUtf8();
}

void FailureReason::logAppended(const QString &text)
{
    // The detection's dots and the stop line report no failure.
    if (firstLine(text).isEmpty() || text.trimmed() == QLatin1String(".") ||
        text.contains(QLatin1String("* Stopped *")))
        return;
    m_lastLog = text;
}

void FailureReason::boxShown(const BoxMessage &box)
{
    // A box whose title is the system's error text has no body.
    m_lastBox = box.text.isEmpty() ? box.caption : box.text;
}

QString FailureReason::reason(const DownloadOutcome &outcome) const
{
    for (const QString &text :
         {outcome.box ? outcome.box->text : QString(), m_lastBox, m_lastLog}) {
        const QString line = firstLine(text);
        if (!line.isEmpty())
            return line;
    }
    return QStringLiteral("Failed");
}

BatchDownload::BatchDownload(QStringList portNames, PortTable table, LinkTiming timing,
                             BoardDownloadWork work, BatchHooks hooks)
    : m_portNames(std::move(portNames)), m_table(std::move(table)), m_timing(std::move(timing)),
      m_work(std::move(work)), m_hooks(std::move(hooks)), m_results(std::size_t(m_portNames.size()))
{
    for (qsizetype n = 0; n < m_portNames.size(); ++n)
        m_results[std::size_t(n)].portName = m_portNames[n];
}

BatchDownload::~BatchDownload()
{
    stop();
    wait();
}

void BatchDownload::start()
{
    if (!m_threads.empty())
        return;
    m_running = int(m_portNames.size());
    m_threads.reserve(std::size_t(m_portNames.size()));
    for (int board = 0; board < int(m_portNames.size()); ++board)
        m_threads.emplace_back(QThread::create([this, board] { runBoard(board); }));
    for (const std::unique_ptr<QThread> &thread : m_threads)
        thread->start();
}

void BatchDownload::wait()
{
    for (const std::unique_ptr<QThread> &thread : m_threads)
        thread->wait();
}

QList<BoardResult> BatchDownload::results() const
{
    return QList<BoardResult>(m_results.begin(), m_results.end());
}

bool BatchDownload::allCompleted() const
{
    for (const BoardResult &board : m_results) {
        if (board.result != DownloadResult::Completed)
            return false;
    }
    return true;
}

void BatchDownload::runBoard(int board)
{
    BoardResult &result = m_results[std::size_t(board)];
    result.started = QDateTime::currentDateTimeUtc();
    for (int attempt = 1; attempt <= m_retries + 1; ++attempt) {
        if (attempt > 1 && m_stop)
            break;
        if (m_hooks.attemptStarted)
            m_hooks.attemptStarted(board, attempt);
        ConversationHooks hooks =
            m_hooks.conversation ? m_hooks.conversation(board) : ConversationHooks();
        FailureReason reason;
        hooks.appendLog = [&reason, log = std::move(hooks.appendLog)](const QString &text) {
            reason.logAppended(text);
            if (log)
                log(text);
        };
        hooks.showBox = [&reason, show = std::move(hooks.showBox)](const BoxMessage &box) {
            reason.boxShown(box);
            if (show)
                show(box);
        };
        hooks.stopRequested = [this, asked = std::move(hooks.stopRequested)] {
            if (!m_stop && asked && asked())
                m_stop = true;
            return bool(m_stop);
        };
        // The port belongs to this thread: made here, closed before the next attempt.
        DownloadOutcome outcome;
        {
            CSerialPort port(m_table);
            port.setTiming(m_timing);
            Conversation conversation(port, m_portNames[board], std::move(hooks));
            outcome = m_work(conversation);
        }
        result.attempts = attempt;
        result.result = outcome.result;
        result.reason =
            outcome.result == DownloadResult::Failed ? reason.reason(outcome) : QString();
        if (outcome.result != DownloadResult::Failed)
            break;
    }
    result.finished = QDateTime::currentDateTimeUtc();
    if (m_hooks.finished)
        m_hooks.finished(board, result);
    --m_running;
}

} // namespace Kernwick
