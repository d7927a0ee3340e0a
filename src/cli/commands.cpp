#include "commands.h"

namespace Kernwick::Cli {

static const Command table[] = {
    {"info", "Prints a font file's header", runInfo},
    {"dump", "Prints every glyph of a font file", runDump},
    {"new", "Writes a new font as the New Font Properties dialog makes it", runNew},
    {"default", "Writes the font of a fresh document", runDefault},
    {"export-c", "Writes a font as C source", runExportC},
    {"concat", "Joins font files into one chain of fonts", runConcat},
    {"import-bdf", "Imports a BDF font", runImportBdf},
    {"export-bdf", "Writes a font as a BDF font", runExportBdf},
    {"import-image", "Imports a picture as a one-glyph font", runImportImage},
    {"transform", "Applies editing operations to a font", runTransform},
    {"config", "Writes, shows, changes and streams configuration files", runConfig},
    {"chart", "Writes the printed font chart as a PDF or PNG", runChart, true},
    {"import-typeface", "Renders a typeface (font file or installed family) into a font",
     runImportTypeface, true},
    {"export-sheet", "Writes a font's glyphs as one PNG picture for pixel editors", runExportSheet},
    {"import-sheet", "Reads a glyph sheet back into a font file", runImportSheet},
    {"ports", "Lists the port table", runPorts},
    {"test-com", "Opens the port and writes \"Hello there!\"", runTestCom},
    {"identify", "Checks that the board answers, as a download does first", runIdentify},
    {"download", "Downloads a file to the board (download --help lists the kinds)", runDownload},
    {"terminal", "Connects standard input and output to the line", runTerminal},
};

std::span<const Command> commands()
{
    return table;
}

const Command *findCommand(const QString &name)
{
    for (const Command &c : table) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

} // namespace Kernwick::Cli
