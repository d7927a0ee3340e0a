// import-image: a one-glyph font from a picture, with the threshold dialog's choices.

#include "cliutil.h"
#include "commands.h"
#include "fontio.h"

#include "libkernwick/font/imageimport.h"
#include "libkernwick/render/imagefile.h"

namespace Kernwick::Cli {

namespace {

constexpr char helpText[] =
    "Turns a picture (at most 255 x 255 pixels) into a font of one glyph at code 32, one\n"
    "glyph pixel per picture pixel, as Import Image does. Read from its content: PNG,\n"
    "BMP, JPEG, GIF, TIFF, uncompressed true-colour TGA, PBM/PGM/PPM, ICO, XBM, XPM,\n"
    "WBMP, WebP and ICNS.\n\n"
    "A picture of more than 1 bit per pixel is reduced to grey levels and thresholded:\n"
    "with 3 colours (2 bits per pixel) levels from the white threshold up become white,\n"
    "levels above the black threshold halftone, and the rest transparent; with 2\n"
    "colours (1 bit per pixel) levels from the white threshold up become white and the\n"
    "rest transparent. A picture of 1 bit per pixel is taken as it is: its brighter\n"
    "colour becomes white, and the threshold options do not apply.\n\n"
    "Defaults: 3 colours, black threshold 100, white threshold 150.";

} // namespace

int runImportImage(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(helpText));
    parser.addPositionalArgument(QStringLiteral("IN"), QStringLiteral("The picture to read."));
    const QCommandLineOption output = outputOption(QStringLiteral("The font file to write."));
    const QCommandLineOption colors(QStringLiteral("colors"),
                                    QStringLiteral("2 (1 bit per pixel) or 3 (2 bits per pixel)."),
                                    QStringLiteral("2|3"));
    const QCommandLineOption black(QStringLiteral("black"),
                                   QStringLiteral("Black threshold, 0 to 255 (3 colours only)."),
                                   QStringLiteral("T"));
    const QCommandLineOption white(
        QStringLiteral("white"), QStringLiteral("White threshold, 0 to 255."), QStringLiteral("T"));
    const QCommandLineOption invert(QStringLiteral("invert"),
                                    QStringLiteral("Inverts the picture before thresholding."));
    const QCommandLineOption saveThresholded(
        QStringLiteral("save-thresholded"),
        QStringLiteral("Also writes the thresholded picture (black, grey and white; a 1-bit "
                       "picture as taken) to FILE, in the format its extension names."),
        QStringLiteral("FILE"));
    parser.addOptions({output, colors, black, white, invert, saveThresholded});
    int exitCode = Success;
    if (!parseArguments(parser, args, &exitCode))
        return exitCode;

    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return usageError(QStringLiteral("import-image needs exactly one picture"));
    const QString inPath = positional[0];
    const QString outPath = parser.value(output);
    if (outPath.isEmpty())
        return usageError(QStringLiteral("import-image needs an output file: -o FILE"));
    const QString picturePath = parser.value(saveThresholded);
    if (isSameFile(inPath, outPath) || isSameFile(inPath, picturePath))
        return usageError(QStringLiteral("the output files must not be the input file"));

    ImageImportChoice choice;
    if (parser.isSet(colors)) {
        const QString value = parser.value(colors);
        if (value != QLatin1String("2") && value != QLatin1String("3"))
            return usageError(QStringLiteral("--colors must be 2 or 3, not '%1'").arg(value));
        choice.threshold.threeColour = value == QLatin1String("3");
    }
    if (!readThresholds(parser, black, white, &choice.threshold, &exitCode))
        return exitCode;
    choice.invert = parser.isSet(invert);

    LoadedImage picture;
    QString error;
    switch (loadImageFile(inPath, &picture, &error)) {
    case ImageLoad::Ok:
        break;
    case ImageLoad::ReadFailed:
        return fail(QStringLiteral("%1: %2").arg(inPath, error));
    default:
        return fail(error);
    }

    ImageImport imported = importImage(defaultFont(), picture, choice);
    if (!picturePath.isEmpty() && !saveGreyImageFile(picturePath, imported.thresholded, &error))
        return fail(QStringLiteral("%1: %2").arg(picturePath, error));
    return saveFontFile(outPath, imported.font) ? Success : WorkFailed;
}

} // namespace Kernwick::Cli
