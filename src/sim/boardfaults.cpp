#include "boardfaults.h"

namespace Kernwick::Sim {

bool BoardFaults::take(std::map<std::int64_t, int> &faults, std::int64_t key)
{
    const auto it = faults.find(key);
    if (it == faults.end() || it->second == 0)
        return false;
    if (it->second > 0)
        --it->second;
    return true;
}

} // namespace Kernwick::Sim
