// import-bdf: builds a font file from a BDF font with the Import Font dialog's choices.

#include "cliutil.h"
#include "commands.h"
#include "fontio.h"

#include "libkernwick/font/bdfexport.h"
#include "libkernwick/font/bdfimport.h"

#include <limits>

namespace Kernwick::Cli {

namespace {

constexpr char helpText[] =
    "Imports characters from a BDF font into a font file, as the Import Font dialog\n"
    "does. By default every glyph takes the size of the file's FONTBOUNDINGBOX and its\n"
    "bitmap moves one column right of where the file draws it. With --as-drawn each\n"
    "glyph is as wide as its DWIDTH (widened where its ink reaches further, up to 255)\n"
    "and holds its bitmap where the file draws it, nothing moved or dropped.\n\n"
    "Defaults: the file's first non-zero encoding as the first encoding to import, 95\n"
    "characters, 1 bit per pixel, the file's name up to its first '.' as the font name,\n"
    "and encoding gaps filled with zero-width characters.";

constexpr char exportHelpText[] =
    "Writes a font as one BDF 2.1 font: every glyph a character whose ENCODING is its\n"
    "code and whose DWIDTH is its width, its bitmap covering its cell against the\n"
    "baseline below row Ascent; FONT_ASCENT and FONT_DESCENT from Ascent and Height, the\n"
    "font's name in FONT and FAMILY_NAME. import-bdf --as-drawn reads it back to the\n"
    "same pixels, widths, codes and Ascent (Left comes back 0).\n\n"
    "BDF holds one bit per pixel: white pixels are set, all others clear. How many\n"
    "halftone pixels a 2BPP font loses that way is said on standard error.";

// Reads a whole-number option; the dialog's range checks come later.
bool parseInteger(const QString &text, const QString &what, int *value, int *exitCode)
{
    qint64 number = 0;
    if (!parseNumber(text, what, &number, exitCode))
        return false;
    *value = int(qMin<qint64>(number, std::numeric_limits<int>::max()));
    return true;
}

} // namespace

int runImportBdf(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(helpText));
    parser.addPositionalArgument(QStringLiteral("IN.bdf"), QStringLiteral("The BDF file to read."));
    const QCommandLineOption output = outputOption(QStringLiteral("The font file to write."));
    const QCommandLineOption firstEncoding(
        QStringLiteral("first-encoding"),
        QStringLiteral("Encoding of the first character to import (0 to 65535)."),
        QStringLiteral("E"));
    const QCommandLineOption count(
        QStringLiteral("count"),
        QStringLiteral("Number of characters to import (1 to 65535), or 'all' for every "
                       "character from the first on."),
        QStringLiteral("N"));
    const QCommandLineOption depth(
        QStringLiteral("depth"), QStringLiteral("Bits per pixel: 1 or 2."), QStringLiteral("1|2"));
    const QCommandLineOption name(QStringLiteral("name"),
                                  QStringLiteral("Font name, at most 11 characters."),
                                  QStringLiteral("NAME"));
    const QCommandLineOption noGaps(
        QStringLiteral("no-gaps"),
        QStringLiteral("Do not fill encoding gaps with zero-width characters."));
    const QCommandLineOption asDrawn(
        QStringLiteral("as-drawn"),
        QStringLiteral("Keep glyphs as drawn: each as wide as its DWIDTH, its bitmap where the "
                       "file draws it."));
    parser.addOptions({output, firstEncoding, count, depth, name, noGaps, asDrawn});
    int exitCode = Success;
    if (!parseArguments(parser, args, &exitCode))
        return exitCode;

    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return usageError(QStringLiteral("import-bdf needs exactly one BDF file"));
    const QString inPath = positional[0];
    const QString outPath = parser.value(output);
    if (outPath.isEmpty())
        return usageError(QStringLiteral("import-bdf needs an output file: -o FILE"));
    if (isSameFile(inPath, outPath))
        return usageError(QStringLiteral("the output file must not be the input file"));

    // Every option is checked before the file is read: its syntax here, its value
    // by the Import Font dialog's rules once the file's own values are known.
    int firstToImport = 0;
    if (parser.isSet(firstEncoding) &&
        !parseInteger(parser.value(firstEncoding), QStringLiteral("--first-encoding"),
                      &firstToImport, &exitCode))
        return exitCode;
    int countToImport = DefaultImportCount;
    if (parser.isSet(count)) {
        if (parser.value(count) == QLatin1String("all"))
            countToImport = MaxGlyphs; // the table cannot hold more
        else if (!parseInteger(parser.value(count), QStringLiteral("--count"), &countToImport,
                               &exitCode))
            return exitCode;
    }
    std::uint8_t ldepth = 0;
    if (parser.isSet(depth)) {
        const QString value = parser.value(depth);
        if (value != QLatin1String("1") && value != QLatin1String("2"))
            return usageError(QStringLiteral("--depth must be 1 or 2, not '%1'").arg(value));
        ldepth = value == QLatin1String("2") ? 1 : 0;
    }
    if (parser.isSet(name)) {
        const QString problem = fontNameProblem(parser.value(name));
        if (!problem.isEmpty())
            return fail(problem);
    }

    QByteArray text;
    QString error;
    if (!readBdfFile(inPath, &text, &error))
        return fail(QStringLiteral("%1: %2").arg(inPath, error));
    BdfScan scan;
    if (!scanBdf(text, &scan, &error))
        return fail(error);

    ImportFontChoice choice =
        initialImportFontChoice(scan.characterCount, scan.firstEncoding, inPath);
    if (parser.isSet(firstEncoding))
        choice.firstToImport = firstToImport;
    choice.countToImport = countToImport;
    choice.depth = ldepth;
    if (parser.isSet(name))
        choice.name = parser.value(name);
    choice.retainGaps = !parser.isSet(noGaps);
    choice.asDrawn = parser.isSet(asDrawn);
    const QString problem = importFontChoiceProblem(choice);
    if (!problem.isEmpty())
        return fail(problem);

    Font font;
    if (!importBdf(text, scan, choice, &font, &error))
        return fail(error);
    return saveFontFile(outPath, font) ? Success : WorkFailed;
}

int runExportBdf(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(exportHelpText));
    parser.addPositionalArgument(QStringLiteral("FONT"), QStringLiteral("The font file to read."));
    const QCommandLineOption output = outputOption(QStringLiteral("The BDF file to write."));
    parser.addOption(output);
    int exitCode = Success;
    if (!parseArguments(parser, args, &exitCode))
        return exitCode;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return usageError(QStringLiteral("export-bdf needs exactly one font file"));
    const QString outPath = parser.value(output);
    if (outPath.isEmpty())
        return usageError(QStringLiteral("export-bdf needs an output file: -o FILE"));
    if (isSameFile(positional[0], outPath))
        return usageError(QStringLiteral("the output file must not be the input file"));

    Font font;
    if (!loadFontFile(positional[0], &font))
        return WorkFailed;
    const BdfExport exported = exportBdf(font);
    if (!writeOutput(outPath, exported.text))
        return WorkFailed;
    if (exported.leftOutPixels > 0)
        note(bdfLeftOutNote(exported.leftOutPixels));
    return Success;
}

} // namespace Kernwick::Cli
