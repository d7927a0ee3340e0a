#include "libkernwick/font/document.h"

#include "libkernwick/io/savefile.h"

#include <QFileInfo>

namespace Kernwick {

namespace {

// How much of the font each command changes, and its name in "Undo <name>".
struct CommandRecord
{
    std::optional<EditScope> scope; // none: the command never changes the font
    const char *text;
};

CommandRecord recordOf(EditOperation operation)
{
    using Op = EditOperation;
    switch (operation) {
    case Op::InsertRow:
        return {EditScope::Table, "Insert Row"};
    case Op::DeleteRow:
        return {EditScope::Table, "Delete Row"};
    case Op::InsertColumn:
        return {EditScope::Glyph, "Insert Column"};
    case Op::DeleteColumn:
        return {EditScope::Glyph, "Delete Column"};
    case Op::InsertCharacter:
        return {EditScope::Table, "Insert Character"};
    case Op::DeleteSelectedCharacter:
        return {EditScope::Table, "Delete Character"};
    case Op::Outline:
        return {EditScope::Table, "Outline"};
    case Op::MoveDown:
        return {EditScope::Glyph, "Move Down"};
    case Op::MoveUp:
        return {EditScope::Glyph, "Move Up"};
    case Op::MoveRight:
        return {EditScope::Glyph, "Move Right"};
    case Op::MoveLeft:
        return {EditScope::Glyph, "Move Left"};
    case Op::To2Bpp:
        return {EditScope::Table, "1BPP->2BPP"};
    case Op::To1Bpp:
        return {EditScope::Table, "2BPP->1BPP"};
    case Op::Clear:
        return {EditScope::Glyph, "Clear"};
    case Op::Cut:
        return {EditScope::Glyph, "Cut"};
    case Op::Paste:
        return {EditScope::Glyph, "Paste"};
    case Op::SetAscent:
        return {EditScope::Header, "Set Ascent"};
    case Op::SetLeft:
        return {EditScope::Glyph, "Set Left"};
    case Op::Mod:
        return {EditScope::Table, "mod"};
    case Op::X2:
        return {EditScope::Table, "X2"};
    case Op::Copy:
    case Op::Transparent:
    case Op::White:
    case Op::Halftone:
        break;
    }
    return {std::nullopt, ""};
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
    const bool modified = isModified();
    if (modified != m_reportedModified) {
        m_reportedModified = modified;
        emit modifiedChanged(modified);
    }
}

void Document::replaceFont(Font font, bool savedNow)
{
    m_stroke.reset();
    m_strokeChanged = false;
    m_font = std::move(font);
    m_history.clear(savedNow);
    emit fontReplaced();
    finishChange(true);
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

bool Document::write(const QString &path, QString *error)
{
    endStroke();
    const ZvfImage image = encodeZvf(m_font);
    if (!saveFileAtomically(path, image.bytes, error))
        return false;
    adoptDerivedFields(m_font, image.fields);
    return true;
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

EditResult Document::apply(EditOperation operation, ViewState &view)
{
    endStroke();
    const CommandRecord record = recordOf(operation);
    std::optional<EditStep> before;
    if (record.scope) {
        const int index = currentGlyphIndex(m_font, view);
        if (*record.scope == EditScope::Glyph && index < 0)
            return EditResult::refuse(EditRefusal::NoCurrentGlyph);
        before = EditStep::before(m_font, *record.scope, index, QString::fromLatin1(record.text));
    }

    EditingState state;
    static_cast<ViewState &>(state) = view;
    state.clipboard = std::move(m_clipboard);
    const EditResult result = applyEdit(operation, m_font, state);
    view = state;
    m_clipboard = std::move(state.clipboard);

    if (result.fontChanged && before)
        m_history.push(std::move(*before));
    finishChange(result.fontChanged);
    return result;
}

EditResult Document::rename(const QByteArray &name)
{
    endStroke();
    Font renamed = m_font;
    renamed.rename(name);
    if (renamed.name == m_font.name) {
        // Nothing to record, but the view is updated all the same.
        emit fontChanged();
        return {EditRefusal::None, false, false, Redraw::AllViews, false};
    }
    m_history.push(EditStep::before(m_font, EditScope::Header, -1, QStringLiteral("Font Name")));
    m_font.name = renamed.name;
    finishChange(true);
    return EditResult::updatedViews();
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
    finishChange(true);
    return EditResult::repainted();
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
    if (changed)
        finishChange(false);
}

bool Document::restore(const EditStep *step, ViewState *view)
{
    if (!step)
        return false;
    if (view) {
        if (step->scope == EditScope::Glyph)
            view->currentCode = int(m_font.first) + step->glyphIndex;
        clampToFont(m_font, *view);
    }
    finishChange(true);
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
