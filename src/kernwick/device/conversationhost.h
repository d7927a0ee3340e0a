#pragma once

#include "device/boardtask.h"

#include "libkernwick/device/porttable.h"

class QWidget;

namespace Kernwick {

/// What a dialog that talks to the board by itself (the terminal) needs from the
/// program's serial side: the chosen port and rate, whether the port is free and
/// opens, and a conversation of its own.
class ConversationHost
{
public:
    virtual ~ConversationHost() = default;

    virtual const SerialSelection &selection() const = 0;
    /// Whether a conversation holds the port now.
    virtual bool isBusy() const = 0;
    /// Why the chosen port cannot be opened now, naming it and its device; empty
    /// when it opens.
    virtual QString portProblem() const = 0;
    /// Runs `work` on the selection on a thread of its own, its message boxes in
    /// front of `owner`; null (nothing done) while another conversation holds the
    /// port. The caller listens to the task's reports and stops it.
    virtual BoardTask *startConversation(BoardTask::ReportingWork work, QWidget *owner) = 0;
};

} // namespace Kernwick
