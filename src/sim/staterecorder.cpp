#include "staterecorder.h"

#include <QDir>

#include "libkernwick/io/savefile.h"

#include <utility>

namespace Kernwick::Sim {

StateRecorder::StateRecorder(const QString &stateDir) : m_stateDir(stateDir)
{
    if (m_stateDir.isEmpty())
        return;
    const QDir dir(m_stateDir);
    m_wireLog.setFileName(dir.filePath(QStringLiteral("wire.log")));
    if (!m_wireLog.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        event(QStringLiteral("cannot record wire.log: %1").arg(m_wireLog.errorString()),
              EventKind::RecordingFailed);
    m_eventLog.setFileName(dir.filePath(QStringLiteral("events.log")));
    if (!m_eventLog.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        event(QStringLiteral("cannot record events.log: %1").arg(m_eventLog.errorString()),
              EventKind::RecordingFailed);
}

void StateRecorder::wire(QByteArrayView bytes)
{
    if (m_wireLog.isOpen())
        m_wireLog.write(bytes.data(), bytes.size());
}

void StateRecorder::event(const QString &text, EventKind kind)
{
    m_events.push_back({kind, text});
    if (m_eventLog.isOpen())
        m_eventLog.write((text + QLatin1Char('\n')).toUtf8());
}

void StateRecorder::record(const QString &name, const QByteArray &bytes)
{
    if (m_stateDir.isEmpty())
        return;
    QString error;
    if (!saveFileAtomically(QDir(m_stateDir).filePath(name), bytes, &error))
        event(QStringLiteral("cannot record %1: %2").arg(name, error), EventKind::RecordingFailed);
}

std::vector<BoardEvent> StateRecorder::takeEvents()
{
    return std::exchange(m_events, {});
}

} // namespace Kernwick::Sim
