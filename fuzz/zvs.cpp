// Setup files on arbitrary bytes: the reader never fails, and the paths it finds
// survive a save and a reload as long as they hold no line end.

#include "libkernwick/config/setupfile.h"

#include <cstdint>
#include <cstdlib>

using namespace Kernwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const SetupBundle bundle = decodeSetupFile(QByteArrayView(data, qsizetype(size)));
    for (const QString *path : {&bundle.fontPath, &bundle.configPath, &bundle.bootScriptPath})
        if (path->contains(QLatin1Char('\n')) || path->contains(QChar(0)))
            std::abort();
    if (decodeSetupFile(encodeSetupFile(bundle)) != bundle)
        std::abort();
    return 0;
}
