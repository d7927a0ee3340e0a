// Boot script files on arbitrary bytes, and the frame that sends them. A decoded
// script never holds a NUL, and a script saved as it is reads back the same.

#include "libkernwick/config/bootscriptfile.h"
#include "libkernwick/device/bootscriptdownload.h"

#include <cstdint>
#include <cstdlib>

using namespace Kernwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray script = decodeBootScriptFile(QByteArrayView(data, qsizetype(size)));
    if (script.contains('\0') || script.size() > qsizetype(size))
        std::abort();
    if (decodeBootScriptFile(script) != script)
        std::abort();
    const QByteArray frame = bootScriptFrame(script);
    if (!frame.contains(script))
        std::abort();
    return 0;
}
