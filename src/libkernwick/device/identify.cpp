#include "libkernwick/device/identify.h"

#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/conversation.h"

namespace Kernwick {

DownloadOutcome identifyBoard(Conversation &conversation, IdentifyDialect dialect, qint32 baudRate)
{
    Conversation &c = conversation;
    bool detected = false;
    switch (dialect) {
    case IdentifyDialect::MainPort:
        detected = c.openPortLogged(baudRate) && c.detectBoard();
        break;
    case IdentifyDialect::DebugPort:
        detected = c.openPortLogged(MonitorBaudRate) && c.detectDebugPort(DebugWording::Zuvo);
        break;
    case IdentifyDialect::BootMonitor:
        detected = c.openPortLogged(MonitorBaudRate) && c.detectBootMonitor();
        break;
    }
    if (!detected)
        return stoppedOrFailed(c);
    c.end();
    return {DownloadResult::Completed};
}

} // namespace Kernwick
