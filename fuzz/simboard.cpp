// The simulated board fed arbitrary bytes in arbitrary pieces and pauses.
//
// Input: one byte choosing the interface the board starts on and its faults, one
// byte seeding how the rest is cut into pieces and how long the line stays quiet
// between them, then the bytes the board receives. Whatever comes, the board must
// not crash, and its clock work must always move forward.

#include "board.h"

#include <cstdint>
#include <cstdlib>

using namespace Kernwick::Sim;
using namespace std::chrono_literals;

namespace {

// A tiny generator for the piece sizes and pauses, so the same input always runs
// the same way.
class Steps
{
public:
    explicit Steps(std::uint8_t seed) : m_state(seed * 2654435761u + 1) {}
    std::uint32_t next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }

private:
    std::uint32_t m_state;
};

Interface interfaceFrom(std::uint8_t bits)
{
    switch (bits & 3) {
    case 1:
        return Interface::DebugConsole;
    case 2:
        return Interface::BootMonitor;
    default:
        return Interface::MainPort;
    }
}

BoardFaults faultsFrom(std::uint8_t bits)
{
    BoardFaults faults;
    faults.wrongId = bits & 0x04;
    faults.nakErase = bits & 0x08;
    faults.nakFlush = bits & 0x10;
    if (bits & 0x20)
        faults.nakChunks[0] = 2;
    if (bits & 0x40)
        faults.nakBlocks[1] = -1;
    // The idle drop is off on a real board; fuzz it too, behind its own bit.
    if (bits & 0x80)
        faults.idleDrop = Board::CommandIdleLimit;
    return faults;
}

// A pause between two pieces: mostly short, now and then past one of the board's
// idle limits.
std::chrono::milliseconds pauseFrom(std::uint32_t r)
{
    switch (r % 16) {
    case 0:
        return Board::BlockIdleLimit + 1ms;
    case 1:
        return Board::ReceiveInviteInterval;
    case 2:
        return Board::CommandIdleLimit + 1ms;
    case 3:
        return Board::ReceiveIdleLimit + 1ms;
    default:
        return std::chrono::milliseconds(r / 16 % 50);
    }
}

// Runs everything due by `now`, as the simulator's loop does: tick() does one due
// thing at a time, and the loop calls it again while a deadline has passed. A
// deadline still passed after a few calls would keep the loop spinning.
void runDue(Board &board, Clock::time_point now)
{
    for (int calls = 0;; ++calls) {
        const auto next = board.nextDeadline();
        if (!next || *next > now)
            break;
        if (calls == 4)
            std::abort();
        board.tick(now);
    }
    board.takeAnswers();
    board.takeEvents();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    Board board(interfaceFrom(data[0]), faultsFrom(data[0]));
    Steps steps(data[1]);
    Clock::time_point now{};
    for (std::size_t at = 2; at < size;) {
        const std::uint32_t r = steps.next();
        const std::size_t piece = std::min<std::size_t>(1 + r % 64, size - at);
        board.receive(QByteArrayView(data + at, qsizetype(piece)), now);
        at += piece;
        board.takeAnswers();
        board.takeEvents();
        now += pauseFrom(steps.next());
        runDue(board, now);
    }
    // Let every pending invitation and idle limit run out.
    for (int i = 0; i < 2 * Board::ReceiveInvites + 4; ++i) {
        const auto next = board.nextDeadline();
        if (!next)
            break;
        now = *next;
        runDue(board, now);
    }
    return 0;
}
