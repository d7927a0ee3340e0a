#include "widgets/settings.h"

namespace Kernwick {

QSettings programSettings()
{
    return QSettings(QString::fromLatin1(SettingsOrganization),
                     QString::fromLatin1(SettingsApplication));
}

} // namespace Kernwick
