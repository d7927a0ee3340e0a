// transform: applies glyph editing operations to a font file, in order.

#include "cliutil.h"
#include "commands.h"
#include "fontio.h"

#include "libkernwick/font/document.h"
#include "libkernwick/font/editingstate.h"
#include "libkernwick/font/glyphediting.h"

#include <QFileInfo>

#include <optional>

namespace Kernwick::Cli {

namespace {

enum class StepKind
{
    Edit,
    Select,
    Rename,
    SetAscent,
    SetLeft,
    Undo,
    Redo
};

// One operation from the command line, checked for its syntax.
struct Step
{
    QString text; // as given, for messages
    StepKind kind = StepKind::Edit;
    EditOperation operation = EditOperation::InsertRow;
    int number = 0;
    QByteArray name;
};

struct PlainOp
{
    const char *word;
    EditOperation operation;
};

// Operations that take no argument. "cut" and "mod" go beyond the documented list.
constexpr PlainOp plainOps[] = {
    {"x2", EditOperation::X2},
    {"outline", EditOperation::Outline},
    {"to-2bpp", EditOperation::To2Bpp},
    {"to-1bpp", EditOperation::To1Bpp},
    {"insert-row", EditOperation::InsertRow},
    {"delete-row", EditOperation::DeleteRow},
    {"insert-column", EditOperation::InsertColumn},
    {"delete-column", EditOperation::DeleteColumn},
    {"insert-char", EditOperation::InsertCharacter},
    {"delete-char", EditOperation::DeleteSelectedCharacter},
    {"clear", EditOperation::Clear},
    {"move-up", EditOperation::MoveUp},
    {"move-down", EditOperation::MoveDown},
    {"move-left", EditOperation::MoveLeft},
    {"move-right", EditOperation::MoveRight},
    {"copy", EditOperation::Copy},
    {"paste", EditOperation::Paste},
    {"cut", EditOperation::Cut},
    {"mod", EditOperation::Mod},
};

// Steps through the history, also without a value.
struct HistoryOp
{
    const char *word;
    StepKind kind;
};

constexpr HistoryOp historyOps[] = {{"undo", StepKind::Undo}, {"redo", StepKind::Redo}};

constexpr char helpText[] =
    "Applies editing operations to a font, in the order given, and writes the result.\n"
    "The current glyph starts at the font's first code.\n\n"
    "Operations:\n"
    "  x2               double the font vertically\n"
    "  outline          halftone outline around white pixels (2BPP fonts)\n"
    "  to-2bpp, to-1bpp change the pixel depth\n"
    "  insert-row, delete-row        a row at the bottom of every glyph\n"
    "  insert-column, delete-column  a column at the right of the current glyph\n"
    "  insert-char      a blank glyph at the current code\n"
    "  delete-char      remove the current glyph\n"
    "  clear, cut, copy, paste       the current glyph and the clipboard glyph\n"
    "  move-up, move-down, move-left, move-right  shift the current glyph's image\n"
    "  mod              take up to 6 rows off the bottom of every glyph\n"
    "  undo, redo       take back the last change, or make it again\n"
    "  select=CODE      make CODE the current glyph\n"
    "  rename=NAME      rename the font (at most 11 characters)\n"
    "  set-ascent=ROW   set the ascent row (0 to Height - 1)\n"
    "  set-left=COL     set the current glyph's left marker (-128 to 255)";

// Parses one operation word; on a syntax error reports it and returns nothing.
std::optional<Step> parseStep(const QString &text, int *exitCode)
{
    Step step;
    step.text = text;
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    const QString word = eq < 0 ? text : text.left(eq);
    const QString value = eq < 0 ? QString() : text.mid(eq + 1);

    for (const PlainOp &op : plainOps) {
        if (word == QLatin1String(op.word)) {
            if (eq >= 0) {
                *exitCode = usageError(QStringLiteral("%1 takes no value: '%2'").arg(word, text));
                return std::nullopt;
            }
            step.operation = op.operation;
            return step;
        }
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
    } valued[] = {{"select", StepKind::Select},
                  {"rename", StepKind::Rename},
                  {"set-ascent", StepKind::SetAscent},
                  {"set-left", StepKind::SetLeft}};
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
        if (!ok || (op.kind == StepKind::Select && step.number < 0)) {
            *exitCode = usageError(
                op.kind == StepKind::Select
                    ? QStringLiteral("%1: CODE must be a decimal number").arg(text)
                    : QStringLiteral("%1: the value must be a decimal number").arg(text));
            return std::nullopt;
        }
        return step;
    }
    *exitCode =
        usageError(QStringLiteral("unknown operation '%1' (see transform --help)").arg(text));
    return std::nullopt;
}

// Applies one step; on a refusal reports it and returns false.
bool applyStep(const Step &step, Document &document, ViewState &view)
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
    case StepKind::SetAscent:
        view.pickRow = step.number;
        result = document.apply(EditOperation::SetAscent, view);
        break;
    case StepKind::SetLeft:
        view.pickColumn = step.number;
        result = document.apply(EditOperation::SetLeft, view);
        break;
    case StepKind::Edit:
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
    parser.setApplicationDescription(QString::fromLatin1(helpText));
    parser.addPositionalArgument(QStringLiteral("FONT"), QStringLiteral("The .zvf file to read."));
    parser.addPositionalArgument(QStringLiteral("OP"), QStringLiteral("Operations, in order."),
                                 QStringLiteral("OP..."));
    const QCommandLineOption output = outputOption(QStringLiteral("The font file to write."));
    parser.addOption(output);
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

    // Every operation is checked before the font is read, so a typo fails fast.
    std::vector<Step> steps;
    for (qsizetype i = 1; i < positional.size(); ++i) {
        std::optional<Step> step = parseStep(positional[i], &exitCode);
        if (!step)
            return exitCode;
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
        if (!applyStep(step, document, view))
            return WorkFailed;
    }

    QString error;
    if (document.saveCopy(outPath, &error))
        return Success;
    return fail(QStringLiteral("%1: %2").arg(outPath, error));
}

} // namespace Kernwick::Cli
