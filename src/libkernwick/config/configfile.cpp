#include "libkernwick/config/configfile.h"

#include "libkernwick/config/configstream.h"
#include "libkernwick/io/savefile.h"

namespace Kernwick {

bool loadConfigFile(const QString &path, DeviceConfig *config, QString *error)
{
    QByteArray bytes;
    if (!readWholeFile(path, MaxConfigFileBytes, &bytes, error))
        return false;
    *config = decodeConfigFile(bytes);
    return true;
}

bool saveConfigFile(const QString &path, const DeviceConfig &config, QString *error)
{
    return saveFileAtomically(path, encodeConfigStream(config, ConfigOrder::File), error);
}

} // namespace Kernwick
