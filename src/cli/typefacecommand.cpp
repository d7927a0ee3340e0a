// import-typeface: a font rendered from a font file or an installed typeface.

#include "cliutil.h"
#include "commands.h"
#include "fontio.h"

#include "libkernwick/render/typefaceimport.h"

namespace Kernwick::Cli {

namespace {

constexpr char helpText[] =
    "Renders the characters of a typeface into a font: any font file Qt can load\n"
    "(TrueType, OpenType ...) or the name of an installed family (see fc-list).\n\n"
    "The typeface is sized so that its ascent and descent fill the given height; the\n"
    "font's Ascent is the last row above its baseline. Each character is drawn with\n"
    "full hinting, as wide as its advance (at most 255). Anti-aliased edges are\n"
    "thresholded as import-image does: in 2 bits per pixel levels from the white\n"
    "threshold up become white and levels above the black threshold halftone; in 1 bit\n"
    "per pixel only the white threshold counts. --no-antialias draws the characters in\n"
    "one bit instead. A character the typeface lacks becomes a glyph of width 0.\n\n"
    "Defaults: first code 32, 95 characters, 2 bits per pixel, black threshold 100,\n"
    "white threshold 150, anti-aliased, the family's name as the font name.";

} // namespace

int runImportTypeface(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(helpText));
    parser.addPositionalArgument(QStringLiteral("FILE|FAMILY"),
                                 QStringLiteral("A font file, or an installed typeface's family."));
    const QCommandLineOption output = outputOption(QStringLiteral("The font file to write."));
    const QCommandLineOption height(QStringLiteral("height"),
                                    QStringLiteral("The font's height in pixels, 1 to 255."),
                                    QStringLiteral("H"));
    const QCommandLineOption first(QStringLiteral("first"),
                                   QStringLiteral("The code of the first character, 0 to 65535."),
                                   QStringLiteral("F"));
    const QCommandLineOption count(
        QStringLiteral("count"),
        QStringLiteral("The number of characters (1 to 65535), or 'all' for every code from "
                       "the first to the typeface's last character."),
        QStringLiteral("N"));
    const QCommandLineOption depth(
        QStringLiteral("depth"), QStringLiteral("Bits per pixel: 1 or 2."), QStringLiteral("1|2"));
    const QCommandLineOption black(QStringLiteral("black"),
                                   QStringLiteral("Black threshold, 0 to 255 (2 bits per pixel)."),
                                   QStringLiteral("T"));
    const QCommandLineOption white(
        QStringLiteral("white"), QStringLiteral("White threshold, 0 to 255."), QStringLiteral("T"));
    const QCommandLineOption noAntialias(
        QStringLiteral("no-antialias"),
        QStringLiteral("Draws the characters in one bit, without anti-aliasing."));
    const QCommandLineOption name(QStringLiteral("name"),
                                  QStringLiteral("Font name, at most 11 characters."),
                                  QStringLiteral("NAME"));
    parser.addOptions({output, height, first, count, depth, black, white, noAntialias, name});
    int exitCode = Success;
    if (!parseArguments(parser, args, &exitCode))
        return exitCode;

    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return usageError(QStringLiteral("import-typeface needs exactly one font file or family"));
    const QString source = positional[0];
    const QString outPath = parser.value(output);
    if (outPath.isEmpty())
        return usageError(QStringLiteral("import-typeface needs an output file: -o FILE"));
    if (isSameFile(source, outPath))
        return usageError(QStringLiteral("the output file must not be the input file"));
    if (!parser.isSet(height))
        return usageError(QStringLiteral("import-typeface needs the font's height: --height H"));

    TypefaceChoice choice;
    if (!parseNumberInRange(parser.value(height), QStringLiteral("--height"), 1, MaxGlyphSide,
                            &choice.height, &exitCode))
        return exitCode;
    if (parser.isSet(first) && !parseNumberInRange(parser.value(first), QStringLiteral("--first"),
                                                   0, MaxCharacterCode, &choice.first, &exitCode))
        return exitCode;
    if (parser.isSet(count)) {
        if (parser.value(count) == QLatin1String("all"))
            choice.allCodes = true;
        else if (!parseNumberInRange(parser.value(count), QStringLiteral("--count"), 1, MaxGlyphs,
                                     &choice.count, &exitCode))
            return exitCode;
    }
    if (parser.isSet(depth)) {
        const QString value = parser.value(depth);
        if (value != QLatin1String("1") && value != QLatin1String("2"))
            return usageError(QStringLiteral("--depth must be 1 or 2, not '%1'").arg(value));
        choice.threshold.threeColour = value == QLatin1String("2");
    }
    if (!readThresholds(parser, black, white, &choice.threshold, &exitCode))
        return exitCode;
    choice.antialiased = !parser.isSet(noAntialias);
    choice.name = parser.value(name);
    const QString problem = typefaceChoiceProblem(choice);
    if (!problem.isEmpty())
        return fail(problem);

    Typeface typeface;
    QString error;
    if (!Typeface::load(source, &typeface, &error))
        return fail(error);
    Font font;
    if (!importTypeface(typeface, choice, &font, &error))
        return fail(error);
    return saveFontFile(outPath, font) ? Success : WorkFailed;
}

} // namespace Kernwick::Cli
