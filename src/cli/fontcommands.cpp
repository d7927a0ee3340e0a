// Font file commands: info, dump, new, default, export-c, concat.

#include "cliutil.h"
#include "commands.h"
#include "fontio.h"

#include "libkernwick/font/cexport.h"
#include "libkernwick/font/concatenate.h"
#include "libkernwick/font/newfont.h"

namespace Kernwick::Cli {

namespace {

// Parses a command that takes exactly `count` positional files and, when
// `output` is given, a required -o.
bool parseFiles(QCommandLineParser &parser, const QStringList &args, qsizetype count,
                const QCommandLineOption *output, int *exitCode)
{
    if (!parseArguments(parser, args, exitCode))
        return false;
    if (count >= 0 && parser.positionalArguments().size() != count) {
        *exitCode = usageError(
            QStringLiteral("%1 expects %2 file argument(s); see --help").arg(args[0]).arg(count));
        return false;
    }
    if (output && parser.value(*output).isEmpty()) {
        *exitCode = usageError(QStringLiteral("%1 needs an output file: -o FILE").arg(args[0]));
        return false;
    }
    return true;
}

// Parses a command whose one argument is a font file, and loads it. Returns false
// when the command must end at once with *exitCode.
bool parseAndLoadFont(QCommandLineParser &parser, const QStringList &args, Font *font,
                      int *exitCode)
{
    if (!parseFiles(parser, args, 1, nullptr, exitCode))
        return false;
    if (loadFontFile(parser.positionalArguments()[0], font))
        return true;
    *exitCode = WorkFailed;
    return false;
}

} // namespace

int runInfo(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Prints a font file's header."));
    parser.addPositionalArgument(QStringLiteral("FONT"), QStringLiteral("The .zvf file."));
    Font font;
    int exitCode = 0;
    if (!parseAndLoadFont(parser, args, &font, &exitCode))
        return exitCode;
    print(QStringLiteral("Name : %1\nSkip : %2\nPixwidth : %3\nChars : %4\nFirst : %5\n"
                         "Height : %6\nAscent : %7\nLdepth : %8\nLayout : %9\n")
              .arg(QString::fromLatin1(font.nameText()))
              .arg(font.header.skip)
              .arg(font.header.pixwidth)
              .arg(font.chars())
              .arg(font.header.first)
              .arg(font.header.height)
              .arg(font.header.ascent)
              .arg(font.header.ldepth)
              .arg(font.header.layout) +
          QStringLiteral("FileSize : %1\n").arg(font.header.fileSize));
    return Success;
}

int runDump(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Prints every glyph of a font file."));
    Font font;
    int exitCode = 0;
    if (!parseAndLoadFont(parser, args, &font, &exitCode))
        return exitCode;
    QByteArray out;
    for (int i = 0; i < font.chars(); ++i) {
        const Glyph &g = font.glyphs[std::size_t(i)];
        out += "glyph " + QByteArray::number(font.header.first + i) + " width " +
               QByteArray::number(g.width) + " left " + QByteArray::number(std::int8_t(g.left)) +
               " offset " + QByteArray::number(g.offset) + '\n';
        for (int r = 0; r < g.rowCount; ++r) {
            for (int c = 0; c < g.width; ++c)
                out += char('0' + (g.pixel(r, c) & 3));
            out += '\n';
        }
        if (out.size() > (1 << 20)) {
            print(QString::fromLatin1(out));
            out.clear();
        }
    }
    print(QString::fromLatin1(out));
    return Success;
}

int runNew(const QStringList &args)
{
    const NewFontInput defaults;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes a new font as the New Font Properties dialog makes it."));
    const QCommandLineOption output = outputOption(QStringLiteral("The font file to write."));
    const QCommandLineOption name(QStringLiteral("name"), QStringLiteral("Font name (newfont)."),
                                  QStringLiteral("N"), defaults.name);
    const QCommandLineOption depth(QStringLiteral("depth"),
                                   QStringLiteral("Bits per pixel, 1 or 2."), QStringLiteral("1|2"),
                                   QStringLiteral("1"));
    const QCommandLineOption chars(QStringLiteral("chars"),
                                   QStringLiteral("Characters in font (95)."), QStringLiteral("C"),
                                   defaults.chars);
    const QCommandLineOption first(QStringLiteral("first"), QStringLiteral("First encoding (32)."),
                                   QStringLiteral("F"), defaults.first);
    const QCommandLineOption height(QStringLiteral("height"), QStringLiteral("Height (14)."),
                                    QStringLiteral("H"), defaults.height);
    const QCommandLineOption width(QStringLiteral("width"), QStringLiteral("Width (8)."),
                                   QStringLiteral("W"), defaults.width);
    const QCommandLineOption ascent(QStringLiteral("ascent"), QStringLiteral("Ascent (10)."),
                                    QStringLiteral("A"), defaults.ascent);
    parser.addOptions({output, name, depth, chars, first, height, width, ascent});
    int exitCode = 0;
    if (!parseFiles(parser, args, 0, &output, &exitCode))
        return exitCode;
    if (parser.value(depth) != QLatin1String("1") && parser.value(depth) != QLatin1String("2"))
        return usageError(QStringLiteral("--depth must be 1 or 2"));

    NewFontInput input;
    input.name = parser.value(name);
    input.depth = parser.value(depth) == QLatin1String("2") ? 1 : 0;
    input.chars = parser.value(chars);
    input.first = parser.value(first);
    input.height = parser.value(height);
    input.width = parser.value(width);
    input.ascent = parser.value(ascent);
    NewFontSpec spec;
    QString message;
    if (!checkNewFontInput(input, &spec, &message))
        return fail(message);
    Font font = makeNewFont(spec);
    return saveFontFile(parser.value(output), font) ? Success : WorkFailed;
}

int runDefault(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes the font of a fresh document (\"default\", 95 glyphs of 8 x 14)."));
    const QCommandLineOption output = outputOption(QStringLiteral("The font file to write."));
    parser.addOption(output);
    int exitCode = 0;
    if (!parseFiles(parser, args, 0, &output, &exitCode))
        return exitCode;
    Font font = defaultFont();
    return saveFontFile(parser.value(output), font) ? Success : WorkFailed;
}

int runExportC(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a font as C source."));
    const QCommandLineOption output =
        outputOption(QStringLiteral("The C file to write (font.c in the current directory)."));
    parser.addOption(output);
    Font font;
    int exitCode = 0;
    if (!parseAndLoadFont(parser, args, &font, &exitCode))
        return exitCode;
    const QString path = parser.isSet(output) ? parser.value(output) : QStringLiteral("font.c");
    return writeOutput(path, exportCSource(font)) ? Success : WorkFailed;
}

int runConcat(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Joins font files, in the order given, into one chain of fonts."));
    parser.addPositionalArgument(QStringLiteral("IN"), QStringLiteral("Font files to join."),
                                 QStringLiteral("IN..."));
    const QCommandLineOption output = outputOption(QStringLiteral("The joined file to write."));
    parser.addOption(output);
    int exitCode = 0;
    if (!parseFiles(parser, args, -1, &output, &exitCode))
        return exitCode;
    const QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty())
        return usageError(QStringLiteral("concat needs at least one font file"));
    QByteArray joined;
    QString error;
    if (!concatenateFonts(inputs, &joined, &error))
        return fail(error);
    return writeOutput(parser.value(output), joined) ? Success : WorkFailed;
}

} // namespace Kernwick::Cli
