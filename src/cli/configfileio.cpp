#include "configfileio.h"

#include "cliutil.h"

#include "libkernwick/config/configfile.h"

namespace Kernwick::Cli {

bool loadConfigFile(const QString &path, DeviceConfig *config)
{
    QString error;
    if (Kernwick::loadConfigFile(path, config, &error))
        return true;
    failFile(path, error);
    return false;
}

bool saveConfigFile(const QString &path, const DeviceConfig &config)
{
    QString error;
    if (Kernwick::saveConfigFile(path, config, &error))
        return true;
    failFile(path, error);
    return false;
}

} // namespace Kernwick::Cli
