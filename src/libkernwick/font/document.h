#pragma once

#include "libkernwick/font/areaediting.h"
#include "libkernwick/font/editcommands.h"
#include "libkernwick/font/edithistory.h"
#include "libkernwick/font/editingstate.h"
#include "libkernwick/font/editresult.h"
#include "libkernwick/font/font.h"
#include "libkernwick/font/glyphdrawing.h"
#include "libkernwick/font/glyphediting.h"
#include "libkernwick/font/newfont.h"
#include "libkernwick/font/zvffile.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace Kernwick {

/// The one font document: the font, its file name and title, the modified flag,
/// the clipboard glyph and the undo history.
///
/// Every change to the font goes through here, so undo, the modified flag and the
/// views stay right. Editing commands change the font in place and can be undone;
/// New, Open and the imports replace the font as a whole and start a fresh
/// history. The modified flag is clear exactly when the font is as it was last
/// saved or opened (undoing back to that point clears it again).
///
/// Per-view state (the current glyph, the paint value, the right-click cell) lives
/// in each view's ViewState and is passed in where a command needs it.
class Document : public QObject
{
    Q_OBJECT

public:
    /// The title of a document that has no file.
    static constexpr char UntitledTitle[] = "Untitled";

    /// A fresh document: the default font, titled "Untitled", no file, not modified.
    explicit Document(QObject *parent = nullptr);

    const Font &font() const { return m_font; }
    /// The file the document was opened from or last saved to; empty when none.
    const QString &filePath() const { return m_filePath; }
    const QString &title() const { return m_title; }
    bool isModified() const;
    const Clipboard &clipboard() const { return m_clipboard; }
    const EditHistory &history() const { return m_history; }

    /// New: a font made from the New Font Properties dialog's values, titled
    /// "Untitled", without a file and not modified.
    void newFont(const NewFontSpec &spec);
    /// Open: reads the font file at `path`. On success the document takes the
    /// file's name and title and is not modified. On failure (a file of 0 bytes
    /// included) nothing changes and `error` holds the reason ("Unexpected file
    /// format." or the system's text).
    bool open(const QString &path, QString *error);
    /// An imported font (BDF, image) replaces the document's: it has no file
    /// name, is titled "Untitled" and is not modified.
    void takeImportedFont(Font font);
    /// An import (BDF, image, typeface, glyph sheet) replaces the document's font:
    /// it has no file name and is titled "Untitled", and it is modified, since it
    /// is in no file yet and closing it unasked would lose it.
    void importFont(Font font);

    /// Save and Save As: writes the font to `path` atomically; on success the
    /// document takes the written file's derived fields, name and title and is no
    /// longer modified. On failure nothing changes: the old file and the font stay.
    bool save(const QString &path, QString *error);
    /// Writes the font to another file (a copy, as the command line does) and
    /// takes the derived fields, but keeps its file name, title and modified flag.
    bool saveCopy(const QString &path, QString *error);

    /// Runs an editing command for the view whose state is `view`.
    EditResult apply(EditOperation operation, ViewState &view);
    /// Runs a command that acts on one glyph's pixels (one whose table entry has
    /// a runOnGlyph) on every glyph of codes `firstCode` to `lastCode`, as one
    /// undo step. Refused, changing nothing, when the codes are not a range of the
    /// font's, the command takes no range, or it refuses any glyph of the range.
    /// The view's current glyph stays.
    EditResult applyToRange(EditOperation operation, int firstCode, int lastCode,
                            const ViewState &view);
    /// A drawing tool's line, rectangle or fill on the view's current glyph in its
    /// paint value, as one undo step. A fill must start inside the glyph; a line or
    /// rectangle is clipped to it. A drawing that changes no pixel records nothing.
    EditResult draw(const Drawing &drawing, const ViewState &view);

    /// The selection's commands: each acts on `area` of the view's current glyph
    /// (clipped to it) and is one undo step; one that changes no pixel records
    /// nothing.
    ///
    /// Copy of an area: its pixels become the copied block and the view can paste.
    /// A later Copy or Cut of a whole glyph takes the block away again.
    EditResult copyArea(PixelArea area, ViewState &view);
    /// Cut of an area: copyArea, then the area becomes transparent.
    EditResult cutArea(PixelArea area, ViewState &view);
    /// The block the last Copy or Cut took, when it took an area; empty when it
    /// took a whole glyph or nothing was copied.
    const std::optional<PixelBlock> &copiedBlock() const { return m_copiedBlock; }
    /// Moves the area's pixels by `down` rows and `right` columns (see
    /// Kernwick::moveArea). `landed`, when given, receives where they landed.
    EditResult moveArea(PixelArea area, int down, int right, const ViewState &view,
                        PixelArea *landed = nullptr);
    /// Writes a floating block onto the current glyph with its top left at
    /// (`top`, `left`), mapped to the font's depth and clipped to the glyph.
    EditResult dropBlock(const PixelBlock &block, int top, int left, const ViewState &view);
    /// Runs a flip, a quarter turn, Invert or Clear on the area instead of the
    /// whole glyph (see Kernwick::editArea for the refusals).
    EditResult applyToArea(EditOperation operation, PixelArea area, const ViewState &view);

    /// The question asked before a change whose undo step alone would pass the
    /// history's cap.
    static constexpr char TooLargeToUndo[] = "This change is too large to be undone. Go on?";
    /// Sets how TooLargeToUndo is asked: true goes on with the change and forgets
    /// the whole history, false leaves the font as it is. Without a question
    /// (the command line's one run) such a change goes on.
    void setLargeChangeQuestion(std::function<bool()> ask) { m_askLargeChange = std::move(ask); }
    /// The history's cap in bytes (EditHistory::MaxRecordedBytes unless set).
    void setHistoryByteLimit(std::size_t bytes) { m_history.setByteLimit(bytes); }

    /// Pixels from which a font counts as large: a command over all its glyphs,
    /// an undo or a redo then takes long enough (from about a tenth of a second)
    /// for the window to show that it is busy.
    static constexpr std::int64_t LargeFontPixels = std::int64_t(16) * 1024 * 1024;
    /// Whether the font has LargeFontPixels pixels or more.
    bool isLarge() const;
    /// Whether `operation` may take that long: a command over all glyphs of a
    /// large font.
    bool mayTakeLong(EditOperation operation) const;
    /// Font Name: the name and its NUL replace the start of the name field.
    EditResult rename(const QByteArray &name);
    /// The debug command "filesize": recomputes FileSize. Not an edit to undo.
    void recomputeFileSize();

    /// Painting: one press-drag-release is one stroke and one undo step. Strokes
    /// paint the view's current glyph with its paint value.
    void beginStroke(const ViewState &view);
    /// Paints the pixel at (`row`, `column`) of the stroke's glyph. Outside the
    /// glyph, or without a stroke, nothing happens.
    EditResult paint(const ViewState &view, int row, int column);
    void endStroke();

    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    QString undoText() const { return m_history.undoText(); }
    QString redoText() const { return m_history.redoText(); }
    /// Takes back the last change. `view`, when given, moves to the glyph the
    /// change touched and stays on a glyph of the font. False when there was
    /// nothing to undo.
    bool undo(ViewState *view = nullptr);
    /// Brings every edit still held apart from the font into it (a stroke under
    /// way, pixels floating in a view), so a save writes them and the question
    /// before closing the font knows of them.
    void finishEdits();
    bool redo(ViewState *view = nullptr);

signals:
    /// The font is about to be written or closed (see finishEdits()): a view
    /// finishes an edit it holds apart from the font (a floating selection) into it.
    void finishingEdits();
    /// The font was replaced as a whole: views go back to its first glyph.
    void fontReplaced();
    /// The font changed in place beyond one glyph's pixels: a size, the glyph
    /// count, a marker or the header. Views lay the font out again.
    void fontChanged();
    /// Only the pixels of glyph `index` changed; every size and position stayed.
    /// Views redraw without laying out again. Painting sends this for each pixel.
    void glyphChanged(int index);
    void modifiedChanged(bool modified);
    void titleChanged(const QString &title);
    /// A step was recorded, undone or redone, or the history was cleared or saved:
    /// once per command or stroke (at its end), never for each painted pixel.
    void historyChanged();

private:
    void replaceFont(Font font, bool savedNow);
    void setFileName(const QString &path);
    bool write(const QString &path, QString *error);
    void finishChange(bool fontChanged);
    /// Sends glyphChanged() for a change of pixels only, else fontChanged().
    void announce(bool pixelsOnly, int glyphIndex);
    void reportModified();
    bool restore(const EditStep *step, ViewState *view);
    /// Runs `change` on the view's current glyph as one undo step named `text`;
    /// records nothing when it refuses or changes no pixel.
    EditResult changeCurrentGlyph(const ViewState &view, const char *text,
                                  const std::function<EditResult(Glyph &)> &change);

    Font m_font;
    QString m_filePath;
    QString m_title;
    Clipboard m_clipboard;
    EditHistory m_history;
    std::function<bool()> m_askLargeChange;
    std::optional<PixelBlock> m_copiedBlock;
    std::optional<EditStep> m_stroke; ///< the painted glyph as it was before the stroke
    bool m_strokeChanged = false;
    bool m_reportedModified = false;
};

} // namespace Kernwick
