#include "libkernwick/device/linktiming.h"

#include <chrono>
#include <thread>

namespace Kernwick {

void sleepMilliseconds(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

qint64 monotonicMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace Kernwick
