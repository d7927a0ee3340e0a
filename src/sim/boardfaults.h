#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>

namespace Kernwick::Sim {

/// Deliberate misbehaviour of the board, chosen on the command line.
struct BoardFaults
{
    bool wrongId = false;  ///< identify as a board without "v4"
    bool nakErase = false; ///< refuse every memory erase
    bool nakFlush = false; ///< refuse every memory flush
    /// Chunk number (offset / 256) → how many more commits of it to refuse; -1 = always.
    std::map<std::int64_t, int> nakChunks;
    /// Data block count (1-based, per transfer) → how many more times to NAK it; -1 = always.
    std::map<std::int64_t, int> nakBlocks;
    /// Drop an escape command or string frame left unfinished for this long. The
    /// board itself keeps them open until they end, however long the line is quiet.
    std::optional<std::chrono::milliseconds> idleDrop;

    /// Whether the commit of chunk `chunk` is to be refused now; counts the refusal.
    bool refuseChunk(std::int64_t chunk) { return take(nakChunks, chunk); }
    /// Whether data block `block` of the transfer is to be NAKed now; counts the NAK.
    bool refuseBlock(std::int64_t block) { return take(nakBlocks, block); }

private:
    static bool take(std::map<std::int64_t, int> &faults, std::int64_t key);
};

} // namespace Kernwick::Sim
