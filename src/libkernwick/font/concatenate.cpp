#include "libkernwick/font/concatenate.h"

#include "libkernwick/font/zvffile.h"
#include "libkernwick/io/savefile.h"

namespace Kernwick {

bool concatenateFonts(const QStringList &inputs, QByteArray *joined, QString *error)
{
    QByteArray out;
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        QByteArray bytes;
        QString reason;
        if (!readWholeFile(inputs[i], MaxJoinedFontBytes, &bytes, &reason)) {
            *error = QStringLiteral("%1: %2").arg(inputs[i], reason);
            return false;
        }
        // Without a whole Skip field the chain could not point past this file.
        if (bytes.size() < ZvfSkipEndBytes) {
            *error = QStringLiteral("%1: too short to be a font file").arg(inputs[i]);
            return false;
        }
        const bool last = i == inputs.size() - 1;
        setZvfSkip(bytes, last ? 0 : quint32(bytes.size()));
        out += bytes;
    }
    *joined = std::move(out);
    return true;
}

} // namespace Kernwick
