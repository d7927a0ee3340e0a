#include "libkernwick/font/document.h"

#include <QFileInfo>

#include <algorithm>
#include <cassert>

namespace Kernwick {

namespace {

// Whether a glyph step's glyph and header differ from the font's only in the
// glyph's pixels, so the change leaves every size and position as it was.
bool onlyPixelsDiffer(const EditStep &step, const Font &font)
{
    if (step.scope != EditScope::Glyph || !(step.header == font.header))
        return false;
    const Glyph &then = step.glyph;
    const Glyph &now = font.glyphs[std::size_t(step.glyphIndex)];
    return then.width == now.width && then.rowCount == now.rowCount && then.left == now.left &&
           then.offset == now.offset && then.reserved1 == now.reserved1 &&
           then.reserved2 == now.reserved2;
}

} // namespace

Document::Document(QObject *parent)
    : QObject(parent), m_font(defaultFont()), m_title(QString::fromLatin1(UntitledTitle))
{
}

bool Document::isModified() const
{
    return !m_history.isAtSavedPoint() || m_strokeChanged;
}

void Document::finishChange(bool fontChanged)
{
    if (fontChanged)
        emit this->fontChanged();
    emit historyChanged();
    reportModified();
}

void Document::reportModified()
{
    const bool modified = isModified();
    if (modified != m_reportedModified) {
        m_reportedModified = modified;
        emit modifiedChanged(modified);
    }
}

void Document::announce(bool pixelsOnly, int glyphIndex)
{
    if (pixelsOnly)
        emit glyphChanged(glyphIndex);
    else
        emit fontChanged();
}

void Document::replaceFont(Font font, bool savedNow)
{
    m_stroke.reset();
    m_strokeChanged = false;
    m_font = std::move(font);
    m_history.clear(savedNow);
    // Views start over with the new font; a second signal would only make them
    // lay it out twice.
    emit fontReplaced();
    finishChange(false);
}

void Document::setFileName(const QString &path)
{
    m_filePath = path;
    const QString title =
        path.isEmpty() ? QString::fromLatin1(UntitledTitle) : QFileInfo(path).fileName();
    if (title != m_title) {
        m_title = title;
        emit titleChanged(m_title);
    }
}

void Document::newFont(const NewFontSpec &spec)
{
    // A new font belongs to no file: a later Save asks for a name instead of
    // writing it over the file that was open before.
    setFileName(QString());
    replaceFont(makeNewFont(spec), true);
}

bool Document::open(const QString &path, QString *error)
{
    Font font;
    switch (loadZvfFile(path, &font, error)) {
    case ZvfRead::Malformed:
        return false;
    case ZvfRead::Empty:
        // Opening it would show the old font under the empty file's name, and a
        // later Save would write that font over the file.
        *error = QString::fromLatin1(UnexpectedFileFormat);
        return false;
    case ZvfRead::Ok:
        break;
    }
    setFileName(path);
    replaceFont(std::move(font), true);
    return true;
}

void Document::takeImportedFont(Font font)
{
    setFileName(QString());
    replaceFont(std::move(font), true);
}

void Document::importFont(Font font)
{
    setFileName(QString());
    replaceFont(std::move(font), false);
}

void Document::finishEdits()
{
    emit finishingEdits();
    endStroke();
}

bool Document::write(const QString &path, QString *error)
{
    finishEdits();
    return saveZvfFile(path, m_font, error);
}

bool Document::save(const QString &path, QString *error)
{
    if (!write(path, error))
        return false;
    setFileName(path);
    m_history.markSaved();
    finishChange(true);
    return true;
}

bool Document::saveCopy(const QString &path, QString *error)
{
    if (!write(path, error))
        return false;
    finishChange(true);
    return true;
}

bool Document::isLarge() const
{
    std::int64_t pixels = 0;
    for (const Glyph &g : m_font.glyphs)
        pixels += std::int64_t(g.pixels.size());
    return pixels >= LargeFontPixels;
}

bool Document::mayTakeLong(EditOperation operation) const
{
    return editCommand(operation).undoScope == EditScope::Table && isLarge();
}

EditResult Document::apply(EditOperation operation, ViewState &view)
{
    endStroke();
    const EditCommand &command = editCommand(operation);
    std::optional<EditStep> before;
    EditingState state;
    if (command.undoScope == EditScope::Table) {
        // The command records only what it destroys, and only once it has
        // passed its refusals: the step holds the header until then.
        before =
            EditStep::before(m_font, EditScope::Header, -1, QString::fromLatin1(command.undoText));
        before->byteLimit =
            m_history.byteLimit() - std::min(m_history.byteLimit(), sizeof(EditStep));
        before->goOnUnrecorded = m_askLargeChange;
        state.undoRecord = &*before;
    } else if (command.undoScope) {
        const int index = currentGlyphIndex(m_font, view);
        if (*command.undoScope == EditScope::Glyph && index < 0)
            return EditResult::refuse(EditRefusal::NoCurrentGlyph);
        before = EditStep::before(m_font, *command.undoScope, index,
                                  QString::fromLatin1(command.undoText));
    }

    if (operation == EditOperation::Copy || operation == EditOperation::Cut)
        m_copiedBlock.reset();
    static_cast<ViewState &>(state) = view;
    state.clipboard = std::move(m_clipboard);
    const EditResult result = command.run(m_font, state);
    state.undoRecord = nullptr;
    // A table-wide command that changed the font recorded what it changed.
    assert(!result.fontChanged || !before || command.undoScope != EditScope::Table ||
           before->scope != EditScope::Header || before->unrecorded);
    view = state;
    m_clipboard = std::move(state.clipboard);

    if (!result.fontChanged)
        return result;
    if (before && before->unrecorded) {
        // Kept steps would undo into a font that no longer follows from this one.
        m_history.clear(false);
        emit fontChanged();
    } else if (before) {
        const bool pixelsOnly = onlyPixelsDiffer(*before, m_font);
        const int index = before->glyphIndex;
        m_history.push(std::move(*before));
        announce(pixelsOnly, index);
    } else {
        emit fontChanged();
    }
    emit historyChanged();
    reportModified();
    return result;
}

EditResult Document::applyToRange(EditOperation operation, int firstCode, int lastCode,
                                  const ViewState &view)
{
    endStroke();
    const EditCommand &command = editCommand(operation);
    if (!command.runOnGlyph)
        return EditResult::refuse(EditRefusal::TakesNoRange);
    const int first = m_font.header.first;
    if (firstCode > lastCode || firstCode < first || lastCode > m_font.lastCode() ||
        m_font.chars() == 0)
        return EditResult::refuse(EditRefusal::CodeOutsideFont);

    // Only the glyphs of the range are kept for undo, within the history's limit;
    // past it the user is asked whether to go on without undo.
    const int firstIndex = firstCode - first;
    const int count = lastCode - firstCode + 1;
    EditStep before =
        EditStep::before(m_font, EditScope::Header, -1, QString::fromLatin1(command.undoText));
    before.byteLimit = m_history.byteLimit() - std::min(m_history.byteLimit(), sizeof(EditStep));
    before.goOnUnrecorded = m_askLargeChange;
    if (!before.recordGlyphRun(m_font, firstIndex, count))
        return EditResult::unchanged();
    EditingState state;
    static_cast<ViewState &>(state) = view;
    // Without a record a refusal halfway could not be taken back: each glyph is
    // tried alone first.
    if (before.unrecorded) {
        for (int code = firstCode; code <= lastCode; ++code) {
            Font trial;
            trial.header = m_font.header;
            trial.header.first = std::uint16_t(code);
            trial.glyphs = {m_font.glyphs[std::size_t(code - first)]};
            state.currentCode = code;
            const EditResult result = command.runOnGlyph(trial, state);
            if (result.refused())
                return result;
        }
    }
    bool changed = false;
    for (int code = firstCode; code <= lastCode; ++code) {
        state.currentCode = code;
        const EditResult result = command.runOnGlyph(m_font, state);
        if (result.refused()) {
            // The glyphs done so far go back as they were.
            before.swapWith(m_font);
            return result;
        }
        changed = changed || result.fontChanged;
    }
    if (!changed)
        return EditResult::unchanged();
    if (before.unrecorded)
        m_history.clear(false); // kept steps would undo into a font that no longer follows
    else
        m_history.push(std::move(before));
    finishChange(true);
    return EditResult::changed();
}

EditResult Document::changeCurrentGlyph(const ViewState &view, const char *text,
                                        const std::function<EditResult(Glyph &)> &change)
{
    endStroke();
    const int index = currentGlyphIndex(m_font, view);
    if (index < 0)
        return EditResult::refuse(EditRefusal::NoCurrentGlyph);
    Glyph &glyph = m_font.glyphs[std::size_t(index)];
    EditStep before = EditStep::before(m_font, EditScope::Glyph, index, QString::fromLatin1(text));
    const EditResult result = change(glyph);
    if (result.refused()) {
        // A refusal leaves the glyph as it was, whatever the change began.
        glyph = before.glyph;
        return result;
    }
    if (glyph.pixels == before.glyph.pixels)
        return EditResult::unchanged();
    m_history.push(std::move(before));
    emit glyphChanged(index);
    emit historyChanged();
    reportModified();
    return EditResult::changed();
}

EditResult Document::draw(const Drawing &drawing, const ViewState &view)
{
    static constexpr const char *names[] = {"Line", "Rectangle", "Rectangle", "Fill"};
    return changeCurrentGlyph(view, names[int(drawing.shape)], [&](Glyph &glyph) {
        if (drawing.shape == Drawing::Shape::Fill &&
            !PixelArea::whole(glyph).contains(drawing.r1, drawing.c1))
            return EditResult::refuse(EditRefusal::PixelOutsideGlyph);
        paintDrawing(glyph, drawing, view.paintValue);
        return EditResult::changed();
    });
}

EditResult Document::copyArea(PixelArea area, ViewState &view)
{
    endStroke();
    const int index = currentGlyphIndex(m_font, view);
    if (index < 0)
        return EditResult::refuse(EditRefusal::NoCurrentGlyph);
    m_copiedBlock = liftBlock(m_font.glyphs[std::size_t(index)], area, m_font.header.ldepth);
    view.canPaste = true;
    return EditResult::unchanged();
}

EditResult Document::cutArea(PixelArea area, ViewState &view)
{
    const EditResult copied = copyArea(area, view);
    if (copied.refused())
        return copied;
    return changeCurrentGlyph(view, "Cut", [&](Glyph &glyph) {
        clearArea(glyph, area);
        return EditResult::changed();
    });
}

EditResult Document::moveArea(PixelArea area, int down, int right, const ViewState &view,
                              PixelArea *landed)
{
    return changeCurrentGlyph(view, "Move Selection", [&](Glyph &glyph) {
        const PixelArea there = Kernwick::moveArea(glyph, area, down, right);
        if (landed)
            *landed = there;
        return EditResult::changed();
    });
}

EditResult Document::dropBlock(const PixelBlock &block, int top, int left, const ViewState &view)
{
    const PixelBlock mapped = blockAtDepth(block, m_font.header.ldepth);
    return changeCurrentGlyph(view, "Paste", [&](Glyph &glyph) {
        Kernwick::dropBlock(glyph, mapped, top, left);
        return EditResult::changed();
    });
}

EditResult Document::applyToArea(EditOperation operation, PixelArea area, const ViewState &view)
{
    return changeCurrentGlyph(view, editCommand(operation).undoText, [&](Glyph &glyph) {
        return editArea(operation, glyph, area, m_font.header.ldepth);
    });
}

EditResult Document::rename(const QByteArray &name)
{
    endStroke();
    Font renamed = m_font;
    renamed.rename(name);
    if (renamed.header.name == m_font.header.name) {
        // Nothing to record, but the view is updated all the same.
        emit fontChanged();
        return EditResult::unchanged();
    }
    m_history.push(EditStep::before(m_font, EditScope::Header, -1, QStringLiteral("Font Name")));
    m_font.header.name = renamed.header.name;
    finishChange(true);
    return EditResult::changed();
}

void Document::recomputeFileSize()
{
    m_font.computeFileSize();
    emit fontChanged();
}

void Document::beginStroke(const ViewState &view)
{
    endStroke();
    const int index = currentGlyphIndex(m_font, view);
    if (index >= 0)
        m_stroke = EditStep::before(m_font, EditScope::Glyph, index, QStringLiteral("Paint"));
}

EditResult Document::paint(const ViewState &view, int row, int column)
{
    if (!m_stroke)
        return EditResult::unchanged();
    Glyph &g = m_font.glyphs[std::size_t(m_stroke->glyphIndex)];
    if (row < 0 || row >= g.rowCount || column < 0 || column >= g.width)
        return EditResult::unchanged();
    if (g.pixel(row, column) == view.paintValue)
        return EditResult::unchanged();
    g.setPixel(row, column, view.paintValue);
    m_strokeChanged = true;
    // Only this glyph's pixels: the history changes once, when the stroke ends.
    emit glyphChanged(m_stroke->glyphIndex);
    reportModified();
    return EditResult::changed();
}

void Document::endStroke()
{
    if (!m_stroke)
        return;
    const bool changed = m_strokeChanged;
    m_strokeChanged = false;
    if (changed)
        m_history.push(std::move(*m_stroke));
    m_stroke.reset();
    if (changed) {
        emit historyChanged();
        reportModified();
    }
}

bool Document::restore(const EditStep *step, ViewState *view)
{
    if (!step)
        return false;
    if (view) {
        if (step->scope == EditScope::Glyph)
            view->currentCode = int(m_font.header.first) + step->glyphIndex;
        clampToFont(m_font, *view);
    }
    announce(onlyPixelsDiffer(*step, m_font), step->glyphIndex);
    emit historyChanged();
    reportModified();
    return true;
}

bool Document::undo(ViewState *view)
{
    endStroke();
    return restore(m_history.undo(m_font), view);
}

bool Document::redo(ViewState *view)
{
    endStroke();
    return restore(m_history.redo(m_font), view);
}

} // namespace Kernwick
