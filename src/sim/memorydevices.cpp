#include "memorydevices.h"

#include "boardcodec.h"
#include "boardfaults.h"
#include "staterecorder.h"

#include <algorithm>

namespace Kernwick::Sim {

MemoryDevices::MemoryDevices(StateRecorder &recorder, BoardFaults &faults)
    : m_recorder(recorder), m_faults(faults)
{
}

bool MemoryDevices::refuses(const char *operation, std::int64_t device, bool fault)
{
    if (fault) {
        m_recorder.event(
            QStringLiteral("%1 of device %2 refused (fault)").arg(operation).arg(device),
            EventKind::Refusal);
        return true;
    }
    if (device >= Count) {
        m_recorder.event(
            QStringLiteral("%1 of device %2 refused: no such device").arg(operation).arg(device),
            EventKind::Refusal);
        return true;
    }
    return false;
}

bool MemoryDevices::erase(std::int64_t device)
{
    if (refuses("erase", device, m_faults.nakErase))
        return false;
    m_devices[device].clear();
    m_recorder.event(QStringLiteral("device %1 erased").arg(device));
    return true;
}

bool MemoryDevices::flush(std::int64_t device)
{
    if (refuses("flush", device, m_faults.nakFlush))
        return false;
    m_recorder.record(QStringLiteral("device%1.bin").arg(device), m_devices[device]);
    m_recorder.event(
        QStringLiteral("device %1 flushed (%2 bytes)").arg(device).arg(m_devices[device].size()));
    return true;
}

bool MemoryDevices::commitChunk(std::int64_t device, std::int64_t offset, std::int64_t checksum,
                                const std::optional<QByteArray> &text)
{
    const QString what = QStringLiteral("chunk %1 (device %2, offset %3)")
                             .arg(offset / ChunkSize)
                             .arg(device)
                             .arg(offset);
    auto refuse = [&](const QString &why) {
        m_recorder.event(QStringLiteral("%1 refused: %2").arg(what, why), EventKind::Refusal);
        return false;
    };
    if (m_faults.refuseChunk(offset / ChunkSize))
        return refuse(QStringLiteral("fault"));
    if (device >= Count)
        return refuse(QStringLiteral("no such device"));
    if (!text)
        return refuse(QStringLiteral("no chunk text staged"));
    const std::optional<QByteArray> bytes = decodeAscii85(*text);
    if (!bytes)
        return refuse(QStringLiteral("undecodable text \"%1\"").arg(readableBytes(*text)));
    if (bytes->isEmpty() || bytes->size() > ChunkSize)
        return refuse(
            QStringLiteral("%1 bytes (1 to %2 expected)").arg(bytes->size()).arg(ChunkSize));
    const std::uint32_t expected = chunkChecksum(*bytes);
    if (checksum != std::int64_t(expected))
        return refuse(QStringLiteral("checksum %1, the data gives %2").arg(checksum).arg(expected));
    QByteArray &memory = m_devices[device];
    if (offset % ChunkSize != 0)
        return refuse(QStringLiteral("offset not a multiple of %1").arg(ChunkSize));
    if (offset > memory.size())
        return refuse(QStringLiteral("gap after the %1 bytes written so far").arg(memory.size()));
    if (offset + bytes->size() > Capacity)
        return refuse(QStringLiteral("beyond the device's %1 bytes").arg(Capacity));
    if (offset + bytes->size() > memory.size())
        memory.resize(offset + bytes->size());
    std::copy(bytes->begin(), bytes->end(), memory.begin() + offset);
    m_recorder.event(QStringLiteral("%1 stored (%2 bytes)").arg(what).arg(bytes->size()));
    return true;
}

} // namespace Kernwick::Sim
