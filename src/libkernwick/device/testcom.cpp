#include "libkernwick/device/testcom.h"

#include "libkernwick/device/byteport.h"
#include "libkernwick/device/conversation.h"

namespace Kernwick {

bool testCom(Conversation &conversation, qint32 baudRate)
{
    if (!conversation.openPortBoxed(baudRate))
        return false;
    const bool written = conversation.port().writeString(TestComText);
    conversation.end();
    return written;
}

} // namespace Kernwick
