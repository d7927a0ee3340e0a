#include "libkernwick/device/transferprogress.h"

#include <algorithm>

namespace Kernwick {

namespace {

QString unitName(ProgressUnit unit)
{
    switch (unit) {
    case ProgressUnit::Chunks:
        return QStringLiteral("chunks");
    case ProgressUnit::Blocks:
        return QStringLiteral("blocks");
    case ProgressUnit::Parameters:
        return QStringLiteral("parameters");
    case ProgressUnit::Bytes:
        return QStringLiteral("bytes");
    }
    return {};
}

} // namespace

int TransferProgress::percent() const
{
    if (total <= 0 || done >= total)
        return 100;
    return int(std::clamp<qint64>(qint64(std::max(done, 0)) * 100 / total, 0, 100));
}

double TransferProgress::bytesPerSecond() const
{
    return elapsedMs > 0 ? double(bytesSent) * 1000.0 / double(elapsedMs) : 0.0;
}

std::optional<qint64> TransferProgress::remainingMs() const
{
    if (done <= 0 || done >= total || elapsedMs <= 0)
        return std::nullopt;
    return elapsedMs * (total - done) / done;
}

QString progressCountText(const TransferProgress &progress)
{
    return QStringLiteral("%1 of %2 %3 (%4 %)")
        .arg(progress.done)
        .arg(progress.total)
        .arg(unitName(progress.unit))
        .arg(progress.percent());
}

QString progressSentText(const TransferProgress &progress)
{
    QString text = QStringLiteral("%1 bytes sent").arg(progress.bytesSent);
    if (progress.elapsedMs > 0)
        text += QStringLiteral(", %1 bytes/s").arg(qRound64(progress.bytesPerSecond()));
    return text;
}

QString progressRateText(const TransferProgress &progress)
{
    QString text = progressSentText(progress);
    if (const std::optional<qint64> left = progress.remainingMs())
        text += QStringLiteral(", %1 left").arg(durationText(*left));
    return text;
}

QString progressText(const TransferProgress &progress)
{
    return progressCountText(progress) + QStringLiteral(", ") + progressRateText(progress);
}

QString durationText(qint64 ms)
{
    const qint64 seconds = (std::max<qint64>(ms, 0) + 999) / 1000;
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    if (seconds < 3600)
        return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    return QStringLiteral("%1 h %2 min").arg(seconds / 3600).arg(seconds % 3600 / 60);
}

void TransferMeter::begin(ProgressUnit unit, int total, qint64 bytesWritten, qint64 nowMs)
{
    m_begun = true;
    m_unit = unit;
    m_total = total;
    m_startBytes = bytesWritten;
    m_startMs = nowMs;
}

TransferProgress TransferMeter::at(int done, qint64 bytesWritten, qint64 nowMs) const
{
    return {m_unit, done, m_total, std::max<qint64>(bytesWritten - m_startBytes, 0),
            std::max<qint64>(nowMs - m_startMs, 0)};
}

} // namespace Kernwick
