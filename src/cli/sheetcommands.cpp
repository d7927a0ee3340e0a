// export-sheet and import-sheet: a font as one PNG of glyph cells, and back.

#include "cliutil.h"
#include "commands.h"
#include "fontio.h"

#include "libkernwick/io/savefile.h"
#include "libkernwick/render/glyphsheetimage.h"

namespace Kernwick::Cli {

namespace {

constexpr char exportHelp[] =
    "Writes every glyph of a font file into one PNG picture that any pixel editor can\n"
    "change: one cell per glyph, 16 cells to a row, each as wide as the widest glyph and\n"
    "as high as the font, with one-pixel borders between them. Pixels are black\n"
    "(transparent), grey (halftone), white and orange (value 3); the borders and the\n"
    "room beside narrower glyphs are blue. A text in the picture keeps the font's\n"
    "header and each glyph's width, Left and reserved bytes, so import-sheet gives the\n"
    "font back byte for byte.";

constexpr char importHelp[] =
    "Reads a glyph sheet written by export-sheet, with any pixels changed in a pixel\n"
    "editor, and writes the font it holds. Each pixel must keep one of the sheet's five\n"
    "colours; glyph widths, the header and the blue borders stay as the sheet's text\n"
    "says.";

// Parses "<command> IN -o OUT" and checks that OUT is not IN.
bool parseInOut(QCommandLineParser &parser, const QStringList &args, const QString &input,
                const QString &inputDescription, const QString &outputDescription, QString *in,
                QString *out, int *exitCode)
{
    parser.addPositionalArgument(input, inputDescription);
    const QCommandLineOption output = outputOption(outputDescription);
    parser.addOption(output);
    if (!parseArguments(parser, args, exitCode))
        return false;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        *exitCode = usageError(QStringLiteral("%1 needs exactly one %2").arg(args[0], input));
        return false;
    }
    *in = positional[0];
    *out = parser.value(output);
    if (out->isEmpty()) {
        *exitCode = usageError(QStringLiteral("%1 needs an output file: -o FILE").arg(args[0]));
        return false;
    }
    if (isSameFile(*in, *out)) {
        *exitCode = usageError(QStringLiteral("the output file must not be the input file"));
        return false;
    }
    return true;
}

} // namespace

int runExportSheet(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(exportHelp));
    QString fontPath;
    QString sheetPath;
    int exitCode = Success;
    if (!parseInOut(parser, args, QStringLiteral("FONT"), QStringLiteral("The .zvf file."),
                    QStringLiteral("The PNG picture to write."), &fontPath, &sheetPath, &exitCode))
        return exitCode;
    Font font;
    if (!loadFontFile(fontPath, &font))
        return WorkFailed;
    QString error;
    const auto write = [&font](QIODevice *device, QString *message) {
        return writeGlyphSheet(font, device, message);
    };
    if (!saveFileAtomically(sheetPath, write, &error))
        return fail(QStringLiteral("%1: %2").arg(sheetPath, error));
    return Success;
}

int runImportSheet(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(importHelp));
    QString sheetPath;
    QString fontPath;
    int exitCode = Success;
    if (!parseInOut(parser, args, QStringLiteral("SHEET"),
                    QStringLiteral("The glyph sheet (PNG) to read."),
                    QStringLiteral("The font file to write."), &sheetPath, &fontPath, &exitCode))
        return exitCode;
    Font font;
    QString error;
    if (!loadGlyphSheetFile(sheetPath, &font, &error))
        return fail(QStringLiteral("%1: %2").arg(sheetPath, error));
    return saveFontFile(fontPath, font) ? Success : WorkFailed;
}

} // namespace Kernwick::Cli
