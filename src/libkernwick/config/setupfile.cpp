#include "libkernwick/config/setupfile.h"

#include "libkernwick/config/textfile.h"
#include "libkernwick/io/savefile.h"

#include <QFile>

namespace Kernwick {

QByteArray encodeSetupFile(const SetupBundle &bundle)
{
    return "Font=" + QFile::encodeName(bundle.fontPath) +
           "\nConfig=" + QFile::encodeName(bundle.configPath) +
           "\nBoot=" + QFile::encodeName(bundle.bootScriptPath);
}

SetupBundle decodeSetupFile(QByteArrayView bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    const QByteArrayView text = nul < 0 ? bytes : bytes.first(nul);

    SetupBundle bundle;
    QString *const fields[] = {&bundle.fontPath, &bundle.configPath, &bundle.bootScriptPath};
    qsizetype lineStart = 0;
    for (QString *field : fields) {
        if (lineStart > text.size())
            break;
        const qsizetype lineFeed = text.indexOf('\n', lineStart);
        const qsizetype lineEnd = lineFeed < 0 ? text.size() : lineFeed;
        const QByteArrayView line = text.sliced(lineStart, lineEnd - lineStart);
        const qsizetype equals = line.indexOf('=');
        if (equals >= 0)
            *field = QFile::decodeName(line.sliced(equals + 1).toByteArray());
        lineStart = lineEnd + 1;
    }
    return bundle;
}

bool loadSetupFile(const QString &path, SetupBundle *bundle, QString *error)
{
    QByteArray bytes;
    if (!readBoundedFile(path, MaxSetupFileBytes, &bytes, error))
        return false;
    *bundle = decodeSetupFile(bytes);
    return true;
}

bool saveSetupFile(const QString &path, const SetupBundle &bundle, QString *error)
{
    return saveFileAtomically(path, encodeSetupFile(bundle), error);
}

} // namespace Kernwick
