// The board conversation's steps, and the XMODEM block and end-of-transfer waits
// of the port, against arbitrary answers over a scripted port with zero pacing and
// a simulated clock.
//
// Input: a byte giving how many steps to run (1 to 8), one byte per step choosing
// it, then the board's answers, one byte per read. In the answers 0xFF starts an
// escape: 0xFF 0xFF is the byte 0xFF, 0xFF 0xFE makes the line vanish, 0xFF 0xFD
// asks the conversation to stop, and 0xFF k for any other k is k % 4 + 1 reads of
// silence. Past the answers the board is silent.
//
// Whatever the answers, the conversation must end: the port opens unless a stop
// was asked before the first read, a failed detection has closed the port, a
// stopped conversation fails its waits, and the port is closed once the
// conversation is gone.

#include "libkernwick/device/conversation.h"
#include "libkernwick/device/configdownload.h"
#include "libkernwick/device/xmodem.h"
#include "scriptedport.h"

#include <cstdint>
#include <cstdlib>
#include <optional>

using namespace Kernwick;

namespace {

class FuzzPort : public Test::ScriptedPort
{
public:
    std::optional<int> vanishAtRead; ///< the line is lost before this read
    std::optional<int> stopAtRead;   ///< the user asks to stop from this read on

    bool readByte(std::uint8_t *out) override
    {
        if (vanishAtRead && reads >= *vanishAtRead)
            loseLine();
        return ScriptedPort::readByte(out);
    }
    bool stopAsked() const { return stopAtRead && reads >= *stopAtRead; }
};

void queueAnswers(FuzzPort &port, const std::uint8_t *data, std::size_t size)
{
    for (std::size_t at = 0; at < size; ++at) {
        if (data[at] != 0xff || at + 1 == size) {
            port.arrive(QByteArray(1, char(data[at])));
            continue;
        }
        const std::uint8_t k = data[++at];
        const int queued = int(port.incoming.size());
        if (k == 0xff)
            port.arrive(QByteArray(1, char(0xff)));
        else if (k == 0xfe)
            port.vanishAtRead = port.vanishAtRead.value_or(queued);
        else if (k == 0xfd)
            port.stopAtRead = port.stopAtRead.value_or(queued);
        else
            port.silence(k % 4 + 1);
    }
}

constexpr int StepKinds = 12;

// Runs one step; false when it failed.
bool runStep(Conversation &conversation, FuzzPort &port, std::uint8_t step)
{
    std::uint8_t byte = 0;
    switch (step % StepKinds) {
    case 0:
        return conversation.openPortLogged(9600);
    case 1:
        return conversation.detectBoard();
    case 2:
        return conversation.detectDebugPort(DebugWording::Zuvo);
    case 3:
        return conversation.detectDebugPort(DebugWording::Device);
    case 4:
        return conversation.detectBootMonitor();
    case 5:
        conversation.drainInput();
        return true;
    case 6:
        return conversation.readAck(&byte);
    case 7:
        return conversation.waitForByte(0x06, 1 + step / StepKinds % 40, &byte);
    case 8:
        return conversation.waitForText("zuvo>", 1 + step / StepKinds % 40);
    case 9:
        port.close(); // the download opens the port itself
        return downloadConfiguration(conversation, DeviceConfig{}, 9600).completed();
    case 10:
        return port.sendBlock(step, QByteArray(step % (Xmodem::BlockSize + 1), char(step)));
    default:
        return port.sendEot().accepted();
    }
}

bool isDetection(std::uint8_t step)
{
    const int kind = step % StepKinds;
    return kind >= 1 && kind <= 4;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::size_t steps = std::min<std::size_t>(data[0] % 8 + 1, size - 1);
    const std::uint8_t *program = data + 1;

    FuzzPort port;
    queueAnswers(port, program + steps, size - 1 - steps);
    {
        Conversation conversation(port, QStringLiteral("com1"),
                                  {
                                      .appendLog = [](const QString &) {},
                                      .showBox = [](const BoxMessage &) {},
                                      .stopRequested = [&port] { return port.stopAsked(); },
                                  });
        // The port opens unless the user asked to stop before the first read.
        const bool opened = conversation.openPortLogged(9600);
        if (opened == port.stopAsked())
            std::abort();
        for (std::size_t i = 0; opened && i < steps; ++i) {
            const bool stoppedBefore = port.stopAsked();
            const bool ok = runStep(conversation, port, program[i]);
            if (isDetection(program[i]) && !ok && port.isOpen())
                std::abort(); // a failed detection closes the port
            if (isDetection(program[i]) && ok && stoppedBefore)
                std::abort(); // a stopped conversation detects nothing
        }
    }
    if (port.isOpen())
        std::abort();
    return 0;
}
