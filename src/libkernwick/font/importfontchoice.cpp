#include "libkernwick/font/importfontchoice.h"

namespace Kernwick {

namespace {

QString rangeMessage(int low, int high)
{
    return QStringLiteral("Please enter an integer between %1 and %2.").arg(low).arg(high);
}

} // namespace

QString importFontChoiceProblem(const ImportFontChoice &choice)
{
    if (choice.firstToImport < 0 || choice.firstToImport > MaxCharacterCode)
        return rangeMessage(0, MaxCharacterCode);
    if (choice.countToImport < 1 || choice.countToImport > MaxGlyphs)
        return rangeMessage(1, MaxGlyphs);
    const QString nameProblem = fontNameProblem(choice.name);
    if (!nameProblem.isEmpty())
        return nameProblem;
    if (choice.depth > 1)
        return QStringLiteral("The pixel depth must be 1 or 2 bits per pixel.");
    return {};
}

} // namespace Kernwick
