// The font document: every change goes through it, can be undone and redone,
// and keeps the modified flag and the saved file right.

#include "glyphpicture.h"
#include "libkernwick/font/document.h"
#include "libkernwick/font/zvffile.h"
#include "namedcase.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace Kernwick;

namespace {

// Codes 65 on, glyphs of different widths with a white diagonal and a halftone
// dot, Left values 0, 1, 2 ... so every glyph and every change shows.
Font sampleFont(int chars = 6, int ldepth = 1)
{
    Font f;
    f.setName("sample");
    f.header.first = 65;
    f.header.height = 9;
    f.header.ascent = 6;
    f.header.ldepth = std::uint8_t(ldepth);
    f.resizeGlyphTable(chars);
    for (int i = 0; i < chars; ++i) {
        Glyph &g = f.glyphs[std::size_t(i)];
        g.reset(f.header.height, 5 + i % 4);
        g.left = std::uint8_t(i);
        for (int r = 0; r < f.header.height; ++r)
            g.setPixel(r, (r + i) % g.width, f.whiteValue());
        if (ldepth == 1)
            g.setPixel(0, 0, 1);
    }
    f.computeFileSize();
    return f;
}

// A document holding `font` as freshly opened (saved, nothing to undo).
struct Fixture
{
    explicit Fixture(Font font = sampleFont())
    {
        document.takeImportedFont(std::move(font));
        resetForNewFont(view, document.font());
        view.currentCode = 67; // a glyph in the middle
    }
    Document document;
    ViewState view;
};

QByteArray bytesOf(const Font &font)
{
    return encodeZvf(font).bytes;
}

struct UndoCase : Test::NamedCase
{
    std::function<void(Document &, ViewState &)> change;
    int ldepth = 1;
};

class UndoRedo : public ::testing::TestWithParam<UndoCase>
{
};

void run(EditOperation op, Document &d, ViewState &v)
{
    const EditResult r = d.apply(op, v);
    ASSERT_FALSE(r.refused()) << refusalMessage(r.refusal);
    ASSERT_TRUE(r.fontChanged);
}

} // namespace

TEST_P(UndoRedo, UndoGivesTheFontBackByteForByteAndRedoMakesTheChangeAgain)
{
    Fixture fx(sampleFont(6, GetParam().ldepth));
    // A copy first, so Paste has a different glyph to paste.
    fx.view.currentCode = 70;
    ASSERT_FALSE(fx.document.apply(EditOperation::Copy, fx.view).fontChanged);
    fx.view.currentCode = 67;
    const Font before = fx.document.font();

    GetParam().change(fx.document, fx.view);
    const Font after = fx.document.font();
    ASSERT_NE(after, before);
    EXPECT_TRUE(fx.document.isModified());
    ASSERT_TRUE(fx.document.canUndo());

    ASSERT_TRUE(fx.document.undo(&fx.view));
    EXPECT_EQ(fx.document.font(), before);
    EXPECT_EQ(bytesOf(fx.document.font()), bytesOf(before));
    EXPECT_FALSE(fx.document.isModified()) << "back at the state it was opened in";
    EXPECT_FALSE(fx.document.canUndo());

    ASSERT_TRUE(fx.document.redo(&fx.view));
    EXPECT_EQ(fx.document.font(), after);
    EXPECT_EQ(bytesOf(fx.document.font()), bytesOf(after));
    EXPECT_TRUE(fx.document.isModified());
    EXPECT_FALSE(fx.document.canRedo());
}

INSTANTIATE_TEST_SUITE_P(
    EveryChange, UndoRedo,
    ::testing::Values(
        UndoCase{"InsertRow", [](auto &d, auto &v) { run(EditOperation::InsertRow, d, v); }},
        UndoCase{"DeleteRow", [](auto &d, auto &v) { run(EditOperation::DeleteRow, d, v); }},
        UndoCase{"InsertColumn", [](auto &d, auto &v) { run(EditOperation::InsertColumn, d, v); }},
        UndoCase{"DeleteColumn", [](auto &d, auto &v) { run(EditOperation::DeleteColumn, d, v); }},
        UndoCase{"InsertCharacter",
                 [](auto &d, auto &v) { run(EditOperation::InsertCharacter, d, v); }},
        UndoCase{"DeleteCharacter",
                 [](auto &d, auto &v) { run(EditOperation::DeleteSelectedCharacter, d, v); }},
        UndoCase{"DeleteLastCharacter",
                 [](auto &d, auto &v) {
                     v.currentCode = d.font().lastCode();
                     run(EditOperation::DeleteSelectedCharacter, d, v);
                 }},
        UndoCase{"Outline", [](auto &d, auto &v) { run(EditOperation::Outline, d, v); }},
        UndoCase{"MoveDown", [](auto &d, auto &v) { run(EditOperation::MoveDown, d, v); }},
        UndoCase{"MoveUp", [](auto &d, auto &v) { run(EditOperation::MoveUp, d, v); }},
        UndoCase{"MoveRight", [](auto &d, auto &v) { run(EditOperation::MoveRight, d, v); }},
        UndoCase{"MoveLeft", [](auto &d, auto &v) { run(EditOperation::MoveLeft, d, v); }},
        UndoCase{"To1Bpp", [](auto &d, auto &v) { run(EditOperation::To1Bpp, d, v); }},
        UndoCase{"To2Bpp", [](auto &d, auto &v) { run(EditOperation::To2Bpp, d, v); }, 0},
        UndoCase{"Clear", [](auto &d, auto &v) { run(EditOperation::Clear, d, v); }},
        UndoCase{"Cut", [](auto &d, auto &v) { run(EditOperation::Cut, d, v); }},
        UndoCase{"Paste", [](auto &d, auto &v) { run(EditOperation::Paste, d, v); }},
        UndoCase{"SetAscent",
                 [](auto &d, auto &v) {
                     v.pickRow = 2;
                     run(EditOperation::SetAscent, d, v);
                 }},
        UndoCase{"SetLeft",
                 [](auto &d, auto &v) {
                     v.pickColumn = -3;
                     run(EditOperation::SetLeft, d, v);
                 }},
        UndoCase{"Mod", [](auto &d, auto &v) { run(EditOperation::Mod, d, v); }},
        UndoCase{"X2", [](auto &d, auto &v) { run(EditOperation::X2, d, v); }},
        UndoCase{"FontName",
                 [](auto &d, auto &) { ASSERT_TRUE(d.rename("renamed").fontChanged); }},
        UndoCase{"CutArea",
                 [](auto &d, auto &v) { ASSERT_TRUE(d.cutArea({1, 0, 3, 5}, v).fontChanged); }},
        UndoCase{"MoveArea",
                 [](auto &d, auto &v) {
                     ASSERT_TRUE(d.moveArea({0, 0, 4, 3}, 2, 1, v).fontChanged);
                 }},
        UndoCase{"DropBlock",
                 [](auto &d, auto &v) {
                     ASSERT_FALSE(d.copyArea({0, 0, 3, 3}, v).fontChanged);
                     ASSERT_TRUE(d.dropBlock(*d.copiedBlock(), 4, 2, v).fontChanged);
                 }},
        UndoCase{"FlipArea",
                 [](auto &d, auto &v) {
                     ASSERT_TRUE(
                         d.applyToArea(EditOperation::FlipVertical, {0, 0, 5, 5}, v).fontChanged);
                 }},
        UndoCase{"PaintStroke",
                 [](auto &d, auto &v) {
                     v.paintValue = 1;
                     d.beginStroke(v);
                     for (int c = 0; c < 5; ++c)
                         d.paint(v, 3, c);
                     d.endStroke();
                 }}),
    Test::CaseName());

TEST(Document, UndoingPastTheSavedStateAndBackSetsAndClearsTheModifiedFlag)
{
    QTemporaryDir dir;
    Fixture fx;
    QSignalSpy modified(&fx.document, &Document::modifiedChanged);
    run(EditOperation::InsertRow, fx.document, fx.view);
    QString error;
    ASSERT_TRUE(fx.document.save(dir.filePath("a.zvf"), &error)) << error.toStdString();
    EXPECT_FALSE(fx.document.isModified());
    run(EditOperation::MoveUp, fx.document, fx.view);
    EXPECT_TRUE(fx.document.isModified());

    ASSERT_TRUE(fx.document.undo(&fx.view)); // back to the saved font
    EXPECT_FALSE(fx.document.isModified());
    ASSERT_TRUE(fx.document.undo(&fx.view)); // before the save
    EXPECT_TRUE(fx.document.isModified());
    ASSERT_TRUE(fx.document.redo(&fx.view));
    EXPECT_FALSE(fx.document.isModified());

    // A new change after an undo drops the saved state from the history for good.
    ASSERT_TRUE(fx.document.undo(&fx.view));
    run(EditOperation::Clear, fx.document, fx.view);
    ASSERT_TRUE(fx.document.undo(&fx.view));
    EXPECT_TRUE(fx.document.isModified());
    EXPECT_FALSE(fx.document.canUndo());

    const QList<bool> expected{true, false, true, false, true, false, true};
    QList<bool> reported;
    for (const QList<QVariant> &signal : modified)
        reported.append(signal.at(0).toBool());
    EXPECT_EQ(reported, expected);
}

// Which signal a change sends decides whether the views lay the font out again:
// one glyph's pixels send glyphChanged, anything that moves or resizes sends
// fontChanged, a new font fontReplaced alone; undo and redo send what the change did.
struct SignalCase : Test::NamedCase
{
    EditOperation op;
    bool pixelsOnly;
};

class ChangeSignal : public ::testing::TestWithParam<SignalCase>
{
};

TEST_P(ChangeSignal, TellsPixelsFromShape)
{
    const SignalCase c = GetParam();
    Fixture fx;
    fx.view.pickColumn = 4;
    QSignalSpy pixels(&fx.document, &Document::glyphChanged);
    QSignalSpy shape(&fx.document, &Document::fontChanged);
    QSignalSpy history(&fx.document, &Document::historyChanged);
    run(c.op, fx.document, fx.view);
    ASSERT_TRUE(fx.document.undo(&fx.view));
    ASSERT_TRUE(fx.document.redo(&fx.view));

    EXPECT_EQ(pixels.count(), c.pixelsOnly ? 3 : 0);
    EXPECT_EQ(shape.count(), c.pixelsOnly ? 0 : 3);
    EXPECT_EQ(history.count(), 3) << "once for the command, the undo and the redo";
    for (const QList<QVariant> &signal : pixels)
        EXPECT_EQ(signal.at(0).toInt(), 2) << "the current glyph, code 67";
}

INSTANTIATE_TEST_SUITE_P(Commands, ChangeSignal,
                         ::testing::Values(SignalCase{"MoveUp", EditOperation::MoveUp, true},
                                           SignalCase{"Clear", EditOperation::Clear, true},
                                           SignalCase{"InsertColumn", EditOperation::InsertColumn,
                                                      false},
                                           SignalCase{"SetLeft", EditOperation::SetLeft, false},
                                           SignalCase{"InsertRow", EditOperation::InsertRow, false},
                                           SignalCase{"To1Bpp", EditOperation::To1Bpp, false}),
                         Test::CaseName());

TEST(Document, AStrokeSendsPixelsPerPixelAndTheHistoryOnceAndANewFontOneSignal)
{
    Fixture fx;
    QSignalSpy pixels(&fx.document, &Document::glyphChanged);
    QSignalSpy shape(&fx.document, &Document::fontChanged);
    QSignalSpy history(&fx.document, &Document::historyChanged);
    QSignalSpy replaced(&fx.document, &Document::fontReplaced);
    fx.view.paintValue = 0;
    fx.document.beginStroke(fx.view);
    for (int r = 0; r < 9; ++r)
        fx.document.paint(fx.view, r, 0);
    EXPECT_GT(pixels.count(), 0);
    EXPECT_EQ(history.count(), 0);
    fx.document.endStroke();
    EXPECT_EQ(history.count(), 1);
    EXPECT_EQ(shape.count(), 0);

    fx.document.takeImportedFont(sampleFont(3));
    EXPECT_EQ(replaced.count(), 1);
    EXPECT_EQ(shape.count(), 0) << "a new font is laid out once, on fontReplaced";
}

TEST(Document, AStrokeOnAHugeFontIsOneStepThatRecordsOneGlyph)
{
    Font huge;
    huge.header.first = 0;
    huge.header.height = 16;
    huge.resizeGlyphTable(MaxGlyphs);
    for (Glyph &g : huge.glyphs)
        g.reset(16, 16);
    huge.computeFileSize();
    Fixture fx(std::move(huge));
    fx.view.currentCode = 40000;
    fx.view.paintValue = 1;

    fx.document.beginStroke(fx.view);
    int painted = 0;
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c)
            painted += fx.document.paint(fx.view, r, c).fontChanged;
    fx.document.endStroke();
    ASSERT_GT(painted, 100);

    EXPECT_EQ(fx.document.history().stepCount(), 1u);
    // One glyph of 256 pixels and the bookkeeping around it, not the 16 MB font.
    EXPECT_LT(fx.document.history().recordedBytes(), sizeof(EditStep) + sizeof(Glyph) + 1024);
    ASSERT_TRUE(fx.document.undo(&fx.view));
    EXPECT_EQ(fx.view.currentCode, 40000) << "undo shows the glyph it restored";
    const auto &pixels = fx.document.font().glyphs[40000].pixels;
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0), 256);
}

namespace {

// A full table of 65535 glyphs, 8 × 16, each with a white diagonal; 2BPP fonts
// have a halftone dot in every glyph as well.
Font fullFont(int ldepth)
{
    Font f;
    f.header.first = 0;
    f.header.height = 16;
    f.header.ldepth = std::uint8_t(ldepth);
    f.resizeGlyphTable(MaxGlyphs);
    for (std::size_t i = 0; i < f.glyphs.size(); ++i) {
        Glyph &g = f.glyphs[i];
        g.reset(16, 8);
        g.setPixel(int(i % 16), int(i % 8), f.whiteValue());
        if (ldepth == 1)
            g.setPixel(15, 7, 1);
    }
    f.computeFileSize();
    return f;
}

struct RecordCase : Test::NamedCase
{
    EditOperation operation;
    int ldepth;
    /// The most a step may keep beyond the step itself: what the command destroys.
    std::size_t (*destroyed)(const Font &before);
};

class RecordedSize : public ::testing::TestWithParam<RecordCase>
{
};

} // namespace

TEST_P(RecordedSize, AWholeFontCommandRecordsWhatItDestroysAndUndoesByteForByte)
{
    Fixture fx(fullFont(GetParam().ldepth));
    fx.view.currentCode = 30000;
    const Font before = fx.document.font();
    const QByteArray beforeBytes = bytesOf(before);

    run(GetParam().operation, fx.document, fx.view);
    const Font after = fx.document.font();
    ASSERT_NE(after, before);
    EXPECT_EQ(fx.document.history().stepCount(), 1u);
    EXPECT_LE(fx.document.history().recordedBytes(),
              sizeof(EditStep) + GetParam().destroyed(before))
        << "a copy of the whole table would be about "
        << before.glyphs.size() * (sizeof(Glyph) + 128) << " bytes";

    ASSERT_TRUE(fx.document.undo(&fx.view));
    EXPECT_TRUE(fx.document.font() == before);
    EXPECT_EQ(bytesOf(fx.document.font()), beforeBytes);
    ASSERT_TRUE(fx.document.redo(&fx.view));
    EXPECT_TRUE(fx.document.font() == after);
    ASSERT_TRUE(fx.document.undo(&fx.view));
    EXPECT_TRUE(fx.document.font() == before) << "a second undo after a redo";
}

INSTANTIATE_TEST_SUITE_P(
    FullTable, RecordedSize,
    ::testing::Values(
        RecordCase{"InsertRow", EditOperation::InsertRow, 1,
                   [](const Font &) { return std::size_t(0); }},
        RecordCase{"DeleteRow", EditOperation::DeleteRow, 1,
                   [](const Font &f) { return std::size_t(f.totalWidth()); }},
        RecordCase{"DeleteCharacter", EditOperation::DeleteSelectedCharacter, 1,
                   [](const Font &) { return sizeof(Glyph) + 8 * 16; }},
        RecordCase{"To1Bpp", EditOperation::To1Bpp, 1,
                   [](const Font &f) { return std::size_t(f.totalWidth()) * 16 / 8 + 1; }},
        RecordCase{"To2Bpp", EditOperation::To2Bpp, 0, [](const Font &) { return std::size_t(0); }},
        RecordCase{"Mod", EditOperation::Mod, 0,
                   [](const Font &f) { return std::size_t(f.totalWidth()) * ModRowCount; }}),
    Test::CaseName());

TEST(Document, ARefusedWholeFontCommandRecordsNothing)
{
    struct Refusal
    {
        EditOperation operation;
        Font font;
    };
    Font tall = sampleFont(4);
    for (Glyph &g : tall.glyphs)
        g.resize(255, g.width);
    tall.header.height = 255;
    Font flat = sampleFont(4);
    for (Glyph &g : flat.glyphs)
        g.resize(1, g.width);
    flat.header.height = 1;
    flat.header.ascent = 0;
    const Refusal refusals[] = {
        {EditOperation::InsertRow, tall},
        {EditOperation::X2, tall},
        {EditOperation::DeleteRow, flat},
        {EditOperation::Mod, flat},
        {EditOperation::DeleteSelectedCharacter, sampleFont(1)},
        {EditOperation::Outline, sampleFont(4, 0)},
        {EditOperation::To1Bpp,
         [] {
             Font f = sampleFont(4);
             f.header.ldepth = 3;
             return f;
         }()},
    };
    for (const Refusal &refusal : refusals) {
        SCOPED_TRACE(editCommand(refusal.operation).undoText);
        // The command itself records nothing before it refuses...
        Font font = refusal.font;
        EditStep step = EditStep::before(font, EditScope::Header, -1, QString());
        EditingState state = initialEditingState(font);
        state.undoRecord = &step;
        ASSERT_TRUE(applyEdit(refusal.operation, font, state).refused());
        EXPECT_EQ(step.scope, EditScope::Header);
        EXPECT_EQ(step.recordedBytes(), sizeof(EditStep));
        EXPECT_TRUE(font == refusal.font);

        // ...and the document's history stays empty.
        Fixture fx(refusal.font);
        fx.view = initialEditingState(refusal.font);
        EXPECT_TRUE(fx.document.apply(refusal.operation, fx.view).refused());
        EXPECT_EQ(fx.document.history().stepCount(), 0u);
        EXPECT_EQ(fx.document.history().recordedBytes(), 0u);
        EXPECT_FALSE(fx.document.isModified());
    }
}

TEST(Document, AChangeTooLargeToUndoAsksFirstAndThenForgetsTheHistory)
{
    for (const bool goOn : {false, true}) {
        SCOPED_TRACE(goOn ? "go on" : "stop");
        Fixture fx(sampleFont(200));
        run(EditOperation::InsertColumn, fx.document, fx.view); // one glyph: small
        int asked = 0;
        fx.document.setLargeChangeQuestion([&] {
            ++asked;
            return goOn;
        });
        // Room for the two steps, not for a row of 200 glyphs (over 1000 bytes).
        fx.document.setHistoryByteLimit(2 * sizeof(EditStep) + sizeof(Glyph) + 200);
        run(EditOperation::InsertRow, fx.document, fx.view);
        EXPECT_EQ(asked, 0) << "Insert Row keeps nothing";
        EXPECT_EQ(fx.document.history().stepCount(), 2u);
        const Font before = fx.document.font();

        const EditResult result = fx.document.apply(EditOperation::DeleteRow, fx.view);
        EXPECT_EQ(asked, 1);
        EXPECT_FALSE(result.refused());
        EXPECT_EQ(result.fontChanged, goOn);
        if (goOn) {
            EXPECT_EQ(fx.document.font().header.height, before.header.height - 1);
            EXPECT_FALSE(fx.document.canUndo()) << "the history is forgotten";
            EXPECT_EQ(fx.document.history().recordedBytes(), 0u);
            EXPECT_TRUE(fx.document.isModified());
        } else {
            EXPECT_TRUE(fx.document.font() == before);
            EXPECT_EQ(fx.document.history().stepCount(), 2u) << "the history stays";
            EXPECT_EQ(fx.document.undoText(), QStringLiteral("Insert Row"));
        }
    }

    // Without a question (the command line) the change goes on.
    Fixture fx;
    fx.document.setHistoryByteLimit(sizeof(EditStep) + 8);
    const int height = fx.document.font().header.height;
    run(EditOperation::DeleteRow, fx.document, fx.view);
    EXPECT_EQ(fx.document.font().header.height, height - 1);
    EXPECT_FALSE(fx.document.canUndo());
}

TEST(Document, PaintingOutsideTheGlyphOrWithoutAStrokeChangesNothing)
{
    Fixture fx;
    fx.view.paintValue = 2;
    EXPECT_FALSE(fx.document.paint(fx.view, 0, 1).fontChanged) << "no stroke begun";
    fx.document.beginStroke(fx.view);
    EXPECT_FALSE(fx.document.paint(fx.view, -1, 0).fontChanged);
    EXPECT_FALSE(fx.document.paint(fx.view, 0, 99).fontChanged);
    EXPECT_FALSE(fx.document.paint(fx.view, 9, 0).fontChanged);
    fx.document.endStroke();
    EXPECT_FALSE(fx.document.canUndo());
    EXPECT_FALSE(fx.document.isModified());
}

TEST(Document, UndoKeepsTheViewOnAGlyphOfTheFont)
{
    Fixture fx;
    fx.view.currentCode = 65;
    run(EditOperation::InsertCharacter, fx.document, fx.view);
    fx.view.currentCode = fx.document.font().lastCode();
    fx.view.paintValue = 2;
    ASSERT_TRUE(fx.document.undo(&fx.view));
    EXPECT_EQ(fx.view.currentCode, fx.document.font().lastCode());

    // Back to 1BPP through undo: a 2BPP white brush becomes the 1BPP white.
    Fixture one(sampleFont(6, 0));
    run(EditOperation::To2Bpp, one.document, one.view);
    one.view.paintValue = 2;
    ASSERT_TRUE(one.document.undo(&one.view));
    EXPECT_EQ(one.view.paintValue, 1);
}

TEST(Document, RenameKeepsTheBytesAfterTheNameAndNewClearsThem)
{
    Font font = sampleFont();
    font.header.name = {'l', 'o', 'n', 'g', 'e', 'r', 'n', 'a', 'm', 'e', '\0', 'X'};
    Fixture fx(font);
    ASSERT_TRUE(fx.document.rename("abc").fontChanged);
    const std::array<char, 12> renamed{'a', 'b', 'c', '\0', 'e',  'r',
                                       'n', 'a', 'm', 'e',  '\0', 'X'};
    EXPECT_EQ(fx.document.font().header.name, renamed);
    EXPECT_TRUE(fx.document.isModified());
    EXPECT_FALSE(fx.document.rename("abc").fontChanged) << "the same name changes nothing";

    fx.document.newFont(NewFontSpec{"abc", 0, 14, 8, 95, 32, 10});
    const std::array<char, 12> fresh{'a', 'b', 'c'};
    EXPECT_EQ(fx.document.font().header.name, fresh);
}

TEST(Document, ReplacingTheFontStartsAFreshHistory)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("f.zvf");
    Font saved = sampleFont(3);
    QString error;
    ASSERT_TRUE(saveZvfFile(path, saved, &error));

    Fixture fx;
    ASSERT_TRUE(fx.document.open(path, &error)) << error.toStdString();
    EXPECT_EQ(fx.document.font(), saved);
    EXPECT_EQ(fx.document.title(), "f.zvf");
    EXPECT_EQ(fx.document.filePath(), path);
    EXPECT_FALSE(fx.document.isModified());
    EXPECT_FALSE(fx.document.canUndo());

    run(EditOperation::Clear, fx.document, fx.view);
    fx.document.takeImportedFont(sampleFont(2));
    EXPECT_EQ(fx.document.title(), "Untitled");
    EXPECT_TRUE(fx.document.filePath().isEmpty());
    EXPECT_FALSE(fx.document.isModified());
    EXPECT_FALSE(fx.document.canUndo());

    // New belongs to no file either, so Save cannot overwrite the file open before.
    ASSERT_TRUE(fx.document.open(path, &error));
    run(EditOperation::Clear, fx.document, fx.view);
    fx.document.newFont(NewFontSpec{"n", 0, 14, 8, 95, 32, 10});
    EXPECT_FALSE(fx.document.canUndo());
    EXPECT_FALSE(fx.document.isModified());
    EXPECT_EQ(fx.document.title(), "Untitled");
    EXPECT_TRUE(fx.document.filePath().isEmpty());
}

TEST(Document, AFailedOpenLeavesEverythingAsItWas)
{
    QTemporaryDir dir;
    const QString bad = dir.filePath("bad.zvf");
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(40, '\x7f')); // a header that asks for far more than 40 bytes
    file.close();

    Fixture fx;
    run(EditOperation::Clear, fx.document, fx.view);
    const Font before = fx.document.font();
    const QString empty = dir.filePath("empty.zvf");
    QFile(empty).open(QIODevice::WriteOnly);

    QString error;
    for (const QString &path : {bad, empty}) {
        EXPECT_FALSE(fx.document.open(path, &error));
        EXPECT_EQ(error, "Unexpected file format.");
    }
    for (const QString &path : {bad, empty, dir.filePath("missing.zvf")}) {
        EXPECT_FALSE(fx.document.open(path, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(fx.document.font(), before);
        EXPECT_EQ(fx.document.title(), "Untitled");
        EXPECT_TRUE(fx.document.isModified());
        EXPECT_TRUE(fx.document.canUndo());
    }
}

TEST(Document, AFailedSaveChangesNothingAndASuccessfulOneTakesTheDerivedFields)
{
    QTemporaryDir dir;
    Font font = sampleFont();
    font.header.layout = 0; // as read from a legacy file
    font.header.pixwidth = 999;
    font.glyphs[2].reserved2 = 7;
    font.glyphs[2].offset = 12345;
    Fixture fx(font);
    run(EditOperation::InsertColumn, fx.document, fx.view);
    const Font before = fx.document.font();

    QString error;
    const QString blocked = dir.filePath("no/such/folder/f.zvf");
    EXPECT_FALSE(fx.document.save(blocked, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fx.document.font(), before);
    EXPECT_TRUE(fx.document.isModified());
    EXPECT_EQ(fx.document.title(), "Untitled");
    EXPECT_FALSE(fx.document.saveCopy(blocked, &error));
    EXPECT_EQ(fx.document.font(), before);

    // An existing file that cannot be replaced stays whole.
    const QString kept = dir.filePath("kept.zvf");
    {
        QFile f(kept);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old contents");
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool refused = !fx.document.save(kept, &error);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (refused) { // root may write anyway
        QFile f(kept);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), "old contents");
        EXPECT_EQ(fx.document.font(), before);
    }

    const QString path = dir.filePath("f.zvf");
    ASSERT_TRUE(fx.document.save(path, &error)) << error.toStdString();
    const Font &saved = fx.document.font();
    EXPECT_EQ(saved.header.layout, 1);
    EXPECT_EQ(saved.header.skip, 0u);
    EXPECT_EQ(saved.header.pixwidth, encodeZvf(before).fields.pixwidth);
    EXPECT_EQ(saved.glyphs[2].reserved2, 0);
    EXPECT_EQ(saved.glyphs[2].offset, saved.glyphs[0].width + saved.glyphs[1].width);
    EXPECT_EQ(saved.header.fileSize, QFile(path).size());
    EXPECT_EQ(fx.document.title(), "f.zvf");
    EXPECT_FALSE(fx.document.isModified());

    // A copy is written, but the document keeps its own name and flag.
    run(EditOperation::MoveLeft, fx.document, fx.view);
    ASSERT_TRUE(fx.document.saveCopy(dir.filePath("copy.zvf"), &error));
    EXPECT_EQ(fx.document.filePath(), path);
    EXPECT_TRUE(fx.document.isModified());
}

TEST(Document, DepthBoundCommandsFollowTheExactDepth)
{
    for (const int ldepth : {2, 3}) {
        Font font = sampleFont(3, 1);
        font.header.ldepth = std::uint8_t(ldepth);
        Fixture fx(font);
        for (const EditOperation op : {EditOperation::To1Bpp, EditOperation::To2Bpp,
                                       EditOperation::Outline, EditOperation::Halftone}) {
            EXPECT_FALSE(isEnabled(op, fx.document.font(), fx.view)) << ldepth;
            EXPECT_TRUE(fx.document.apply(op, fx.view).refused()) << ldepth;
        }
        EXPECT_EQ(fx.document.font(), font);
    }
}

// A range that a glyph in its middle refuses leaves every glyph as it was and
// records nothing; one it takes whole is one undo step.
TEST(DocumentRange, RefusedMidwayChangesNothing)
{
    Font font;
    font.header.first = 65;
    font.header.height = 2;
    font.glyphs = {Kernwick::Test::picture({"10", "00"}), Kernwick::Test::picture({"100", "000"}),
                   Kernwick::Test::picture({"10", "00"})};
    font.computeFileSize();
    Document document;
    document.importFont(font);
    ViewState view;
    resetForNewFont(view, document.font());
    const Font before = document.font();

    const EditResult refused = document.applyToRange(EditOperation::RotateClockwise, 65, 67, view);
    EXPECT_EQ(refused.refusal, EditRefusal::NotSquare);
    EXPECT_EQ(document.font(), before);
    EXPECT_FALSE(document.canUndo());

    ASSERT_FALSE(document.applyToRange(EditOperation::FlipHorizontal, 65, 67, view).refused());
    EXPECT_EQ(Kernwick::Test::rowsOf(document.font().glyphs[1]),
              (std::vector<std::string>{"001", "000"}));
    EXPECT_EQ(view.currentCode, 65) << "the current glyph stays";
    EXPECT_EQ(document.undoText(), "Flip Horizontal");
    ASSERT_TRUE(document.undo());
    EXPECT_EQ(document.font(), before);
    EXPECT_EQ(document.applyToRange(EditOperation::InsertRow, 65, 66, view).refusal,
              EditRefusal::TakesNoRange);
}

// A range keeps only its own glyphs for undo; one too large for the history asks,
// and going on without undo still refuses as a whole when a glyph refuses.
TEST(DocumentRange, KeepsOnlyItsGlyphsAndAsksWhenTooLarge)
{
    Fixture fx(sampleFont(200));
    const Font before = fx.document.font();
    const int first = before.header.first;
    const EditResult small =
        fx.document.applyToRange(EditOperation::Invert, first + 10, first + 12, fx.view);
    ASSERT_TRUE(small.fontChanged);
    std::size_t threeGlyphs = 0;
    for (int i = 10; i <= 12; ++i)
        threeGlyphs += sizeof(Glyph) + before.glyphs[std::size_t(i)].pixels.capacity();
    EXPECT_EQ(fx.document.history().recordedBytes(), sizeof(EditStep) + threeGlyphs);
    ASSERT_TRUE(fx.document.undo());
    EXPECT_EQ(fx.document.font(), before);

    for (const bool goOn : {false, true}) {
        SCOPED_TRACE(goOn ? "go on" : "stop");
        int asked = 0;
        fx.document.setLargeChangeQuestion([&] {
            ++asked;
            return goOn;
        });
        fx.document.setHistoryByteLimit(sizeof(EditStep) + threeGlyphs);
        const Font now = fx.document.font();
        const EditResult whole =
            fx.document.applyToRange(EditOperation::Invert, first, first + 199, fx.view);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(whole.fontChanged, goOn);
        EXPECT_EQ(fx.document.font() == now, !goOn);
        EXPECT_EQ(fx.document.canRedo(), !goOn) << "going on forgets the history";
    }
    // One glyph of a range that cannot turn: nothing turns.
    Font uneven = sampleFont(200);
    for (Glyph &g : uneven.glyphs) {
        g.reset(uneven.header.height, uneven.header.height);
        g.pixels[1] = 1;
    }
    uneven.glyphs[150].reset(uneven.header.height, 5);
    uneven.computeFileSize();
    Fixture turn(uneven);
    turn.document.setLargeChangeQuestion([] { return true; });
    turn.document.setHistoryByteLimit(sizeof(EditStep) + 8);
    const EditResult refused =
        turn.document.applyToRange(EditOperation::RotateClockwise, first, first + 199, turn.view);
    EXPECT_EQ(refused.refusal, EditRefusal::NotSquare);
    EXPECT_EQ(turn.document.font(), uneven);
}

// The selection's commands: a block copied from an area, what replaces it, and
// refusals and no-ops that record nothing.
TEST(DocumentArea, CopiedBlocksAndTheirEdges)
{
    Fixture fx;
    ViewState &view = fx.view;
    fx.view.canPaste = false;
    ASSERT_FALSE(fx.document.copyArea({1, 1, 2, 3}, view).refused());
    ASSERT_TRUE(fx.document.copiedBlock());
    EXPECT_EQ(*fx.document.copiedBlock(), liftBlock(fx.document.font().glyphs[2], {1, 1, 2, 3}, 1));
    EXPECT_TRUE(view.canPaste);
    EXPECT_FALSE(fx.document.canUndo()) << "a copy changes nothing";

    const Font before = fx.document.font();
    EXPECT_EQ(fx.document.applyToArea(EditOperation::RotateClockwise, {0, 0, 2, 3}, view).refusal,
              EditRefusal::AreaNotSquare);
    EXPECT_FALSE(fx.document.moveArea({0, 0, 2, 2}, 0, 0, view).fontChanged);
    EXPECT_EQ(fx.document.font(), before);
    EXPECT_FALSE(fx.document.canUndo()) << "neither a refusal nor a no-op is a step";

    ASSERT_FALSE(fx.document.apply(EditOperation::Copy, view).refused());
    EXPECT_FALSE(fx.document.copiedBlock()) << "a whole glyph was copied last";

    // A block copied from a 2BPP font lands in a 1BPP one as white.
    ASSERT_FALSE(fx.document.copyArea({0, 0, 1, 5}, view).refused());
    Font oneBpp = sampleFont(6, 0);
    fx.document.takeImportedFont(oneBpp);
    ASSERT_TRUE(fx.document.dropBlock(*fx.document.copiedBlock(), 3, 0, view).fontChanged);
    // Copied "1020000" (halftone, white) from row 0; row 3 had its white at 5.
    EXPECT_EQ(Kernwick::Test::rowsOf(fx.document.font().glyphs[2])[3], "0010010");
}
