// BDF import of large real fonts. The input is built at run time from a font that
// Debian's xfonts-base ships (10x20, converted with pcf2bdf); throughput counts
// bytes of BDF text, scan and import together.

#include "libkernwick/font/bdfimport.h"

#include <QProcess>
#include <QStandardPaths>

#include <benchmark/benchmark.h>

using namespace Kernwick;

namespace {

const QString sourceFont = QStringLiteral("/usr/share/fonts/X11/misc/10x20.pcf.gz");

// The 10x20 font as BDF text, or empty when pcf2bdf is missing.
const QByteArray &realFont()
{
    static const QByteArray text = [] {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("pcf2bdf"));
        if (tool.isEmpty())
            return QByteArray();
        QProcess process;
        process.start(tool, {sourceFont});
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            return QByteArray();
        return process.readAllStandardOutput();
    }();
    return text;
}

// The real font's characters repeated and renumbered 1, 2, 3, ... until there
// are `glyphs` of them, under the real font's header.
QByteArray repeatedFont(int glyphs)
{
    const QByteArray &real = realFont();
    const qsizetype firstChar = real.indexOf("STARTCHAR");
    if (firstChar < 0)
        return {};
    QList<QByteArray> blocks;
    for (qsizetype at = firstChar; at >= 0;) {
        const qsizetype end = real.indexOf("ENDCHAR\n", at);
        if (end < 0)
            break;
        blocks.append(real.mid(at, end + 8 - at));
        at = real.indexOf("STARTCHAR", end);
    }
    QByteArray header = real.left(firstChar);
    const qsizetype chars = header.indexOf("\nCHARS ");
    header.truncate(chars + 1);
    header += "CHARS " + QByteArray::number(glyphs) + "\n";

    QByteArray text = header;
    text.reserve(real.size() * (glyphs / blocks.size() + 2));
    for (int i = 0; i < glyphs; ++i) {
        const QByteArray &block = blocks[i % blocks.size()];
        const qsizetype encoding = block.indexOf("ENCODING ");
        const qsizetype lineEnd = block.indexOf('\n', encoding);
        text += block.left(encoding);
        text += "ENCODING " + QByteArray::number(i + 1);
        text += block.mid(lineEnd);
    }
    return text + "ENDFONT\n";
}

void importText(benchmark::State &state, const QByteArray &text, std::uint8_t depth)
{
    if (text.isEmpty()) {
        state.SkipWithError("pcf2bdf or the xfonts-base font is missing");
        return;
    }
    int glyphs = 0;
    for (auto _ : state) {
        BdfScan scan;
        QString error;
        Font font;
        ImportFontChoice choice = initialImportFontChoice(scan.characterCount, 1, "10x20.bdf");
        choice.firstToImport = 1;
        choice.countToImport = MaxGlyphs;
        choice.depth = depth;
        if (!scanBdf(text, &scan, &error) || !importBdf(text, scan, choice, &font, &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        glyphs = font.chars();
        benchmark::DoNotOptimize(font.glyphs.data());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
    state.counters["glyphs"] = glyphs;
    state.counters["MB"] = double(text.size()) / 1e6;
}

void realFont10x20(benchmark::State &state)
{
    importText(state, realFont(), 0);
}

void repeated60000(benchmark::State &state)
{
    static const QByteArray text = repeatedFont(60000);
    importText(state, text, std::uint8_t(state.range(0)));
}

} // namespace

BENCHMARK(realFont10x20)->Unit(benchmark::kMillisecond);
BENCHMARK(repeated60000)->Arg(0)->Arg(1)->ArgName("ldepth")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
