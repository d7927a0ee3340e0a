#include "fontio.h"

#include "cliutil.h"

#include "libkernwick/font/zvffile.h"

namespace Kernwick::Cli {

bool loadFontFile(const QString &path, Font *font)
{
    QString error;
    switch (loadZvfFile(path, font, &error)) {
    case ZvfRead::Ok:
        return true;
    case ZvfRead::Empty:
        error = QString::fromLatin1(UnexpectedFileFormat);
        break;
    case ZvfRead::Malformed:
        break;
    }
    fail(QStringLiteral("%1: %2").arg(path, error));
    return false;
}

bool saveFontFile(const QString &path, Font &font)
{
    QString error;
    if (saveZvfFile(path, font, &error))
        return true;
    fail(QStringLiteral("%1: %2").arg(path, error));
    return false;
}

} // namespace Kernwick::Cli
