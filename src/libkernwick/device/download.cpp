#include "libkernwick/device/download.h"

#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/conversation.h"

#include <QIODevice>

#include <algorithm>
#include <limits>

namespace Kernwick {

PartOutcome DownloadOutcome::partOutcome(SetupPart part) const
{
    for (const PartLine &line : parts) {
        if (line.part == part)
            return line.outcome;
    }
    return PartOutcome::NotReached;
}

QString portCaption(const QString &portName)
{
    return QStringLiteral("on %1").arg(portName);
}

BoxMessage fileErrorBox()
{
    return appBox(QStringLiteral("File Error"));
}

int progressTotal(qint64 length, int unit)
{
    return int(std::clamp<qint64>(length / unit, 0, 0xFFFF));
}

int pieceCount(qint64 length, int unit)
{
    return int(std::clamp<qint64>((length + unit - 1) / unit, 0, std::numeric_limits<int>::max()));
}

bool readPiece(QIODevice &file, qint64 size, QByteArray *piece)
{
    piece->resize(size);
    const qint64 got = file.read(piece->data(), size);
    if (got < 0) {
        piece->clear();
        return false;
    }
    piece->resize(got);
    return true;
}

DownloadOutcome stoppedOrFailed(Conversation &conversation)
{
    if (conversation.stopIfRequested())
        return {DownloadResult::Stopped};
    if (conversation.lineLost())
        conversation.reportLineLost();
    conversation.end();
    return {DownloadResult::Failed};
}

DownloadOutcome fileReadFailed(Conversation &conversation)
{
    DownloadOutcome outcome = stoppedOrFailed(conversation);
    if (outcome.result == DownloadResult::Failed)
        outcome.box = fileErrorBox();
    return outcome;
}

} // namespace Kernwick
