#pragma once

#include <QtGlobal>

namespace Kernwick {

class Conversation;

/// The text "Test com" writes.
inline constexpr char TestComText[] = "Hello there!";

/// "Test com": opens the conversation's port with message boxes at `baudRate`, writes
/// TestComText (paced, no line end), reads nothing and closes the port. False when
/// the port could not be opened (already reported) or a byte could not be written.
bool testCom(Conversation &conversation, qint32 baudRate);

} // namespace Kernwick
