#pragma once

#include "boardtypes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

#include <vector>

namespace Kernwick::Sim {

/// The board's events and, with a state folder, the files that record what it
/// received: `wire.log` (every byte, appended as it comes), `events.log` (one line
/// per event) and the files the board writes whole, each replaced atomically.
class StateRecorder
{
public:
    /// Records into `stateDir`, which must exist; an empty `stateDir` records
    /// nothing, and the events are only queued.
    explicit StateRecorder(const QString &stateDir);

    /// Appends received bytes to `wire.log`.
    void wire(QByteArrayView bytes);
    /// Queues an event and appends it to `events.log`.
    void event(const QString &text, EventKind kind = EventKind::Note);
    /// Replaces the state file `name` with `bytes`; a failure becomes an event.
    void record(const QString &name, const QByteArray &bytes);

    /// The events since the last call.
    std::vector<BoardEvent> takeEvents();

private:
    QString m_stateDir;
    QFile m_wireLog;
    QFile m_eventLog;
    std::vector<BoardEvent> m_events;
};

} // namespace Kernwick::Sim
