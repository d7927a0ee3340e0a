// transform: applies glyph editing operations to a font file, in order.

#include "cliutil.h"
#include "commands.h"
#include "fontio.h"

#include "libkernwick/font/document.h"
#include "libkernwick/font/editcommands.h"
#include "libkernwick/font/editingstate.h"
#include "libkernwick/font/glyphdrawing.h"
#include "libkernwick/font/glyphediting.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <utility>

namespace Kernwick::Cli {

namespace {

enum class StepKind
{
    Edit,
    Select,
    Rename,
    Undo,
    Redo,
    Draw
};

// One operation from the command line, checked for its syntax.
struct Step
{
    QString text; // as given, for messages
    StepKind kind = StepKind::Edit;
    EditOperation operation = EditOperation::InsertRow;
    int number = 0;
    QByteArray name;
    Drawing drawing;
};

// The drawing tools: a word, its shape and how many numbers it takes.
struct DrawingOp
{
    const char *word;
    Drawing::Shape shape;
    int numbers;
    const char *usage;
    const char *help;
};

constexpr DrawingOp drawingOps[] = {
    {"fill", Drawing::Shape::Fill, 2, "fill=ROW,COL",
     "flood fill the pixel's 4-connected area in the --color"},
    {"line", Drawing::Shape::Line, 4, "line=R1,C1,R2,C2",
     "a line between two pixels in the --color"},
    {"rect", Drawing::Shape::Rectangle, 4, "rect=R1,C1,R2,C2[,filled]",
     "a rectangle's outline (all of it with ,filled) in the --color"},
};

// The colours --color names, as the Color menu's commands choose them.
struct ColorChoice
{
    const char *word;
    EditOperation operation;
};

constexpr ColorChoice colorChoices[] = {{"transparent", EditOperation::Transparent},
                                        {"white", EditOperation::White},
                                        {"halftone", EditOperation::Halftone}};

// What the options ask of every step: the colour the drawing tools paint and the
// range of codes the glyph-wide commands run over.
struct StepOptions
{
    EditOperation color = EditOperation::White;
    std::optional<std::pair<int, int>> range;
};

// Steps through the history, also without a value.
struct HistoryOp
{
    const char *word;
    StepKind kind;
};

constexpr HistoryOp historyOps[] = {{"undo", StepKind::Undo}, {"redo", StepKind::Redo}};

// The help: the editing commands as their table describes them, then the steps
// the command line adds.
QString helpText()
{
    QString text = QStringLiteral(
        "Applies editing operations to a font, in the order given, and writes the result.\n"
        "The current glyph starts at the font's first code.\n\n"
        "Operations:\n");
    const auto line = [&text](const QString &word, const char *help) {
        text += QStringLiteral("  %1 %2\n").arg(word, -16).arg(QString::fromLatin1(help));
    };
    for (const EditCommand &command : editCommands()) {
        if (!command.cliName)
            continue;
        QString word = QString::fromLatin1(command.cliName);
        if (command.argument == EditArgument::Row)
            word += QStringLiteral("=ROW");
        else if (command.argument == EditArgument::Column)
            word += QStringLiteral("=COL");
        line(word, command.cliHelp);
    }
    for (const DrawingOp &op : drawingOps)
        line(QString::fromLatin1(op.usage), op.help);
    line(QStringLiteral("undo, redo"), "take back the last change, or make it again");
    line(QStringLiteral("select=CODE"), "make CODE the current glyph");
    line(QStringLiteral("rename=NAME"), "rename the font (at most 11 characters)");
    text += QStringLiteral("\nWith --range A-B, each operation that acts on one glyph's pixels "
                           "(clear, outline, the moves, flips, rotations and invert) runs over "
                           "codes A to B as one step.");
    return text;
}

// Parses the comma-separated numbers of a drawing word's value.
std::optional<Step> parseDrawing(const DrawingOp &op, Step step, const QString &value,
                                 int *exitCode)
{
    QStringList parts = value.split(QLatin1Char(','));
    Drawing &d = step.drawing;
    d.shape = op.shape;
    if (op.shape == Drawing::Shape::Rectangle && parts.size() == op.numbers + 1 &&
        parts.last() == QLatin1String("filled")) {
        d.shape = Drawing::Shape::FilledRectangle;
        parts.removeLast();
    }
    int numbers[4] = {};
    bool ok = parts.size() == op.numbers;
    for (qsizetype i = 0; ok && i < parts.size(); ++i)
        numbers[i] = parts[i].toInt(&ok, 10);
    if (!ok) {
        *exitCode = usageError(
            QStringLiteral("%1: write it as %2").arg(step.text, QLatin1String(op.usage)));
        return std::nullopt;
    }
    d.r1 = numbers[0];
    d.c1 = numbers[1];
    d.r2 = op.numbers == 4 ? numbers[2] : numbers[0];
    d.c2 = op.numbers == 4 ? numbers[3] : numbers[1];
    step.kind = StepKind::Draw;
    return step;
}

// Parses one operation word; on a syntax error reports it and returns nothing.
std::optional<Step> parseStep(const QString &text, int *exitCode)
{
    Step step;
    step.text = text;
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    const QString word = eq < 0 ? text : text.left(eq);
    const QString value = eq < 0 ? QString() : text.mid(eq + 1);

    for (const EditCommand &command : editCommands()) {
        if (!command.cliName || word != QLatin1String(command.cliName))
            continue;
        step.operation = command.operation;
        if (command.argument == EditArgument::None) {
            if (eq >= 0) {
                *exitCode = usageError(QStringLiteral("%1 takes no value: '%2'").arg(word, text));
                return std::nullopt;
            }
            return step;
        }
        if (eq < 0) {
            *exitCode = usageError(QStringLiteral("%1 needs a value: %1=...").arg(word));
            return std::nullopt;
        }
        bool ok = false;
        step.number = value.toInt(&ok, 10);
        if (!ok) {
            *exitCode =
                usageError(QStringLiteral("%1: the value must be a decimal number").arg(text));
            return std::nullopt;
        }
        return step;
    }
    for (const DrawingOp &op : drawingOps) {
        if (word != QLatin1String(op.word))
            continue;
        if (eq < 0) {
            *exitCode = usageError(QStringLiteral("%1 needs a value: %2").arg(word, op.usage));
            return std::nullopt;
        }
        return parseDrawing(op, step, value, exitCode);
    }
    for (const HistoryOp &op : historyOps) {
        if (word == QLatin1String(op.word)) {
            if (eq >= 0) {
                *exitCode = usageError(QStringLiteral("%1 takes no value: '%2'").arg(word, text));
                return std::nullopt;
            }
            step.kind = op.kind;
            return step;
        }
    }

    static const struct
    {
        const char *word;
        StepKind kind;
    } valued[] = {{"select", StepKind::Select}, {"rename", StepKind::Rename}};
    for (const auto &op : valued) {
        if (word != QLatin1String(op.word))
            continue;
        step.kind = op.kind;
        if (eq < 0) {
            *exitCode = usageError(QStringLiteral("%1 needs a value: %1=...").arg(word));
            return std::nullopt;
        }
        if (op.kind == StepKind::Rename) {
            const QString problem = fontNameProblem(value);
            if (!problem.isEmpty()) {
                *exitCode = fail(problem);
                return std::nullopt;
            }
            step.name = value.toLatin1();
            return step;
        }
        bool ok = false;
        step.number = value.toInt(&ok, 10);
        if (!ok || step.number < 0) {
            *exitCode = usageError(QStringLiteral("%1: CODE must be a decimal number").arg(text));
            return std::nullopt;
        }
        return step;
    }
    *exitCode =
        usageError(QStringLiteral("unknown operation '%1' (see transform --help)").arg(text));
    return std::nullopt;
}

// Applies one step; on a refusal reports it and returns false.
bool applyStep(const Step &step, const StepOptions &options, Document &document, ViewState &view)
{
    const Font &font = document.font();
    EditResult result;
    switch (step.kind) {
    case StepKind::Select:
        if (selectCode(font, view, step.number))
            return true;
        if (font.chars() == 0)
            fail(QStringLiteral("%1: the font has no characters").arg(step.text));
        else
            fail(QStringLiteral("%1: the font has codes %2 to %3 only")
                     .arg(step.text)
                     .arg(font.header.first)
                     .arg(font.lastCode()));
        return false;
    case StepKind::Rename:
        document.rename(step.name);
        return true;
    case StepKind::Undo:
        if (document.undo(&view))
            return true;
        fail(QStringLiteral("%1: there is nothing to undo").arg(step.text));
        return false;
    case StepKind::Redo:
        if (document.redo(&view))
            return true;
        fail(QStringLiteral("%1: there is nothing to redo").arg(step.text));
        return false;
    case StepKind::Draw:
        // The colour is chosen for each drawing, so "white" is the font's white
        // at that point, after any depth conversion before it.
        result = document.apply(options.color, view);
        if (!result.refused())
            result = document.draw(step.drawing, view);
        break;
    case StepKind::Edit:
        if (options.range) {
            result = document.applyToRange(step.operation, options.range->first,
                                           options.range->second, view);
            break;
        }
        // A command that takes a cell's row or column takes it as a right-click would.
        switch (editCommand(step.operation).argument) {
        case EditArgument::None:
            break;
        case EditArgument::Row:
            view.pickRow = step.number;
            break;
        case EditArgument::Column:
            view.pickColumn = step.number;
            break;
        }
        result = document.apply(step.operation, view);
        break;
    }
    if (!result.refused())
        return true;
    fail(QStringLiteral("%1: %2").arg(step.text,
                                      QString::fromLatin1(refusalMessage(result.refusal))));
    return false;
}

} // namespace

int runTransform(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(helpText());
    parser.addPositionalArgument(QStringLiteral("FONT"), QStringLiteral("The .zvf file to read."));
    parser.addPositionalArgument(QStringLiteral("OP"), QStringLiteral("Operations, in order."),
                                 QStringLiteral("OP..."));
    const QCommandLineOption output = outputOption(QStringLiteral("The font file to write."));
    parser.addOption(output);
    const QCommandLineOption color(
        QStringLiteral("color"),
        QStringLiteral("The colour fill, line and rect paint: transparent, white (default) or "
                       "halftone."),
        QStringLiteral("COLOR"));
    parser.addOption(color);
    const QCommandLineOption range(
        QStringLiteral("range"),
        QStringLiteral("Run each glyph-wide operation over codes A to B (decimal) as one step."),
        QStringLiteral("A-B"));
    parser.addOption(range);
    int exitCode = Success;
    if (!parseArguments(parser, args, &exitCode))
        return exitCode;

    const QStringList positional = parser.positionalArguments();
    if (positional.size() < 2)
        return usageError(QStringLiteral("transform needs a font file and at least one operation"));
    const QString outPath = parser.value(output);
    if (outPath.isEmpty())
        return usageError(QStringLiteral("transform needs an output file: -o FILE"));
    const QString inPath = positional[0];
    const QFileInfo inInfo(inPath);
    const QFileInfo outInfo(outPath);
    if (inInfo.exists() && outInfo.exists() &&
        inInfo.canonicalFilePath() == outInfo.canonicalFilePath())
        return usageError(QStringLiteral("the output file must not be the input file"));

    StepOptions options;
    if (parser.isSet(color)) {
        const QString word = parser.value(color);
        const auto found =
            std::find_if(std::begin(colorChoices), std::end(colorChoices),
                         [&word](const ColorChoice &c) { return word == QLatin1String(c.word); });
        if (found == std::end(colorChoices))
            return usageError(
                QStringLiteral("--color %1: use transparent, white or halftone").arg(word));
        options.color = found->operation;
    }
    if (parser.isSet(range)) {
        const QStringList ends = parser.value(range).split(QLatin1Char('-'));
        bool okA = false, okB = false;
        const int a = ends.size() == 2 ? ends[0].toInt(&okA, 10) : 0;
        const int b = ends.size() == 2 ? ends[1].toInt(&okB, 10) : 0;
        if (!okA || !okB || a > b)
            return usageError(
                QStringLiteral("--range %1: write it as A-B, two decimal codes, A not above B")
                    .arg(parser.value(range)));
        options.range = std::make_pair(a, b);
    }

    // Every operation is checked before the font is read, so a typo fails fast.
    std::vector<Step> steps;
    for (qsizetype i = 1; i < positional.size(); ++i) {
        std::optional<Step> step = parseStep(positional[i], &exitCode);
        if (!step)
            return exitCode;
        const bool ranged = step->kind == StepKind::Edit && takesRange(step->operation);
        const bool untouched = step->kind != StepKind::Edit && step->kind != StepKind::Draw;
        if (options.range && !ranged && !untouched)
            return usageError(QStringLiteral("%1 does not work on a range of characters (--range)")
                                  .arg(step->text));
        steps.push_back(std::move(*step));
    }

    Font font;
    if (!loadFontFile(inPath, &font))
        return WorkFailed;
    // The same document the desktop program edits, so undo and redo behave alike.
    Document document;
    document.takeImportedFont(std::move(font));
    ViewState view;
    resetForNewFont(view, document.font());
    for (const Step &step : steps) {
        if (!applyStep(step, options, document, view))
            return WorkFailed;
    }

    QString error;
    if (document.saveCopy(outPath, &error))
        return Success;
    return fail(QStringLiteral("%1: %2").arg(outPath, error));
}

} // namespace Kernwick::Cli
