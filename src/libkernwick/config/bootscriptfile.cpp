#include "libkernwick/config/bootscriptfile.h"

#include "libkernwick/config/textfile.h"
#include "libkernwick/io/savefile.h"

namespace Kernwick {

QByteArray decodeBootScriptFile(QByteArrayView bytes)
{
    return pieceText(bytes);
}

bool loadBootScriptFile(const QString &path, QByteArray *script, QString *error)
{
    QByteArray bytes;
    if (!readBoundedFile(path, MaxBootScriptFileBytes, &bytes, error))
        return false;
    *script = decodeBootScriptFile(bytes);
    return true;
}

bool saveBootScriptFile(const QString &path, const QByteArray &script, QString *error)
{
    return saveFileAtomically(path, script, error);
}

} // namespace Kernwick
