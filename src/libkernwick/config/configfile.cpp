#include "libkernwick/config/configfile.h"

#include "libkernwick/config/configstream.h"
#include "libkernwick/io/savefile.h"

#include <QFileInfo>

namespace Kernwick {

bool loadConfigFile(const QString &path, DeviceConfig *config, QString *error)
{
    QByteArray bytes;
    if (!readWholeFile(path, MaxConfigFileBytes, &bytes, error)) {
        // The system's texts stand alone; the size refusal names the file.
        if (QFileInfo(path).size() > MaxConfigFileBytes)
            *error = QStringLiteral("%1: %2").arg(path, *error);
        return false;
    }
    *config = decodeConfigFile(bytes);
    return true;
}

bool saveConfigFile(const QString &path, const DeviceConfig &config, QString *error)
{
    return saveFileAtomically(path, encodeConfigStream(config, ConfigOrder::File), error);
}

} // namespace Kernwick
