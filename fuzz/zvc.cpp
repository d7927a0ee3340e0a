// The .zvc decoder on arbitrary bytes. Whatever it makes of a file must survive a
// save and a reload unchanged.

#include "libkernwick/config/configstream.h"

#include <cstdint>
#include <cstdlib>

using namespace Kernwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const DeviceConfig config = decodeConfigFile(QByteArrayView(data, qsizetype(size)));
    const QByteArray saved = encodeConfigStream(config, ConfigOrder::File);
    if (decodeConfigFile(saved) != config)
        std::abort();
    // The download stream is built from the same values.
    encodeConfigStream(config, ConfigOrder::Download);
    return 0;
}
