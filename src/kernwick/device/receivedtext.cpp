#include "device/receivedtext.h"

namespace Kernwick {

QString ReceivedText::take(QByteArrayView bytes)
{
    QString shown;
    shown.reserve(bytes.size());
    for (const char c : bytes) {
        if (c == '\0')
            continue;
        const bool lfOfPair = c == '\n' && m_afterCr;
        m_afterCr = c == '\r';
        if (lfOfPair)
            continue;
        if (c == '\r' || c == '\n')
            shown += QLatin1Char('\n');
        else
            shown += QChar(uchar(c));
    }
    return shown;
}

} // namespace Kernwick
