// chart: the printed font chart, written to one PDF or PNG file.

#include "cliutil.h"
#include "commands.h"
#include "fontio.h"

#include "libkernwick/io/savefile.h"
#include "libkernwick/render/chartexport.h"

namespace Kernwick::Cli {

namespace {

constexpr char helpText[] =
    "Writes the printed font chart of a font file: each glyph with its code in\n"
    "hexadecimal, 10 x 10 device units per pixel, in lines across A4 pages, each page\n"
    "titled \"Font Name <name> Page <n>\".\n\n"
    "The output's extension chooses the format: .pdf writes one A4 page per chart page\n"
    "(600 dpi unless --dpi says otherwise); .png writes one picture holding the A4 pages\n"
    "one under another (150 dpi unless --dpi says otherwise).";

} // namespace

int runChart(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(helpText));
    parser.addPositionalArgument(QStringLiteral("FONT"), QStringLiteral("The .zvf file."));
    const QCommandLineOption output =
        outputOption(QStringLiteral("The chart file to write, ending in .pdf or .png."));
    const QCommandLineOption dpi(
        QStringLiteral("dpi"),
        QStringLiteral("Device units (PDF) or pixels (PNG) per inch, %1 to %2.")
            .arg(MinChartDpi)
            .arg(MaxChartDpi),
        QStringLiteral("N"));
    parser.addOptions({output, dpi});
    int exitCode = Success;
    if (!parseArguments(parser, args, &exitCode))
        return exitCode;

    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return usageError(QStringLiteral("chart needs exactly one font file"));
    const QString outPath = parser.value(output);
    if (outPath.isEmpty())
        return usageError(QStringLiteral("chart needs an output file: -o OUT.pdf or -o OUT.png"));
    const bool pdf = outPath.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
    if (!pdf && !outPath.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return usageError(
            QStringLiteral("the chart file must end in .pdf or .png, not '%1'").arg(outPath));
    if (isSameFile(positional[0], outPath))
        return usageError(QStringLiteral("the output file must not be the input file"));
    int resolution = pdf ? DefaultChartPdfDpi : DefaultChartPngDpi;
    if (parser.isSet(dpi) && !parseNumberInRange(parser.value(dpi), QStringLiteral("--dpi"),
                                                 MinChartDpi, MaxChartDpi, &resolution, &exitCode))
        return exitCode;

    Font font;
    if (!loadFontFile(positional[0], &font))
        return WorkFailed;
    QString error;
    const auto write = [&](QIODevice *device, QString *message) {
        return pdf ? writeChartPdf(font, resolution, device, message)
                   : writeChartPng(font, resolution, device, message);
    };
    if (!saveFileAtomically(outPath, write, &error))
        return fail(QStringLiteral("%1: %2").arg(outPath, error));
    return Success;
}

} // namespace Kernwick::Cli
