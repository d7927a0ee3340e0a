#pragma once

// A board conversation on the real serial port with no pacing, for tests against
// zuvo-sim or a pseudo-terminal: its log and boxes are kept for the test to read.

#include "libkernwick/device/conversation.h"
#include "libkernwick/device/serialport.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace Kernwick::Test {

struct SimulatorLink
{
    explicit SimulatorLink(const QString &portName, PortTable table = PortTable::fromDevices({}))
        : port(std::move(table))
    {
        LinkTiming timing;
        timing.paceMs = 0;
        port.setTiming(timing);
        ConversationHooks hooks;
        hooks.appendLog = [this](const QString &text) { log += text; };
        hooks.showBox = [this](const BoxMessage &box) { boxes.append(box.text); };
        conversation = std::make_unique<Conversation>(port, portName, hooks);
    }

    CSerialPort port;
    QString log;
    QStringList boxes; ///< the texts of the boxes shown, in order
    std::unique_ptr<Conversation> conversation;
};

} // namespace Kernwick::Test
