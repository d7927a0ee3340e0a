#pragma once

#include "libkernwick/font/font.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

namespace Kernwick {

/// How much of the font one undo step keeps: the header always, and besides it
/// one glyph, the whole glyph table, or only what a table-wide command destroys.
///
/// In the editing command table, Table means a command that changes every glyph
/// or the glyph count; such a command records its step itself (see EditStep's
/// record functions), after its refusals and before it changes anything, and
/// the step it records may have any of the narrower scopes below.
enum class EditScope
{
    Header,    ///< a header field only (Set Ascent, Font Name)
    Glyph,     ///< one glyph and the header (painting, column and clipboard commands)
    Table,     ///< every glyph and the header (Outline, X2)
    Rows,      ///< Height grew or shrank at the bottom of every glyph: the rows only
               ///< the taller font has, or nothing when they are transparent
    Character, ///< one glyph inserted or deleted at `glyphIndex`: the glyph while
               ///< it is out of the font
    Depth,     ///< a conversion between 1BPP and 2BPP: the low bit of every 2BPP
               ///< pixel, or nothing when all are clear
    GlyphRun,  ///< glyphs `glyphIndex` onwards, as many as `table` holds (a command
               ///< over a range of codes)
};

/// One undoable change. It holds the state on the other side of the change: the
/// state before it while the change is done, the state after it once undone.
struct EditStep
{
    QString text; ///< what the change was, for "Undo <text>"
    EditScope scope = EditScope::Header;
    FontHeader header;
    int glyphIndex = -1; ///< the glyph of a Glyph or Character step
    Glyph glyph;
    bool holdsGlyph = false; ///< a Character step: `glyph` is out of the font
    std::vector<Glyph> table;
    /// A Rows step: the extra rows of every glyph in turn; a Depth step: one bit
    /// per pixel of every glyph in turn, 8 to a byte. Empty when all are 0.
    std::vector<std::uint8_t> data;

    /// While a command records: the most bytes the step may keep, and the
    /// question asked when it would keep more: whether to go on with a change
    /// that cannot be undone (no question means yes).
    std::size_t byteLimit = SIZE_MAX;
    std::function<bool()> goOnUnrecorded;
    /// The change went ahead without being kept: the history must be forgotten.
    bool unrecorded = false;
    /// The answer to `goOnUnrecorded` was no.
    bool declined = false;

    /// Records `font` as it is now, before a change of `scope` (`glyphIndex`
    /// names the glyph of a Glyph step).
    static EditStep before(const Font &font, EditScope scope, int glyphIndex, QString text);

    /// The record functions: a table-wide command calls one on the step it is
    /// given, after its refusals and before it changes `font`, whose header the
    /// step already holds. A font whose glyphs break the rule a narrow record
    /// relies on (every glyph Height rows high; pixels within the depth's values)
    /// is recorded whole instead. Each returns false, keeping nothing, when the
    /// record would pass `byteLimit` and the answer to `goOnUnrecorded` is no:
    /// the command then stops before changing anything.

    /// Every glyph is about to get `newHeight` rows, losing or gaining rows at
    /// the bottom: keeps the rows lost.
    bool recordHeightChange(const Font &font, int newHeight);
    /// A glyph is about to be inserted at `index`: keeps nothing.
    void recordInsertedGlyph(int index);
    /// Glyph `index` is about to be deleted: takes it out of `font` (the caller
    /// then erases the empty entry) and keeps it.
    void recordDeletedGlyph(Font &font, int index);
    /// The font is about to be converted between 1BPP and 2BPP: keeps the low
    /// bit of every 2BPP pixel, which a conversion to 1BPP drops.
    bool recordDepthChange(const Font &font);
    /// Keeps every glyph.
    bool recordTable(const Font &font);
    /// The `count` glyphs from `first` on are about to change: keeps them.
    bool recordGlyphRun(const Font &font, int first, int count);
    /// Bytes of font data the step keeps.
    std::size_t recordedBytes() const;
    /// Exchanges the recorded state with the font's.
    void swapWith(Font &font);

private:
    /// Whether `bytes` may be kept; when not, the step is unrecorded and asks.
    bool admit(std::size_t bytes);
};

/// The undo history of one font: a list of steps and the position between the
/// ones done and the ones undone, plus the position at which the font was saved.
///
/// The history holds at most MaxSteps steps and byteLimit() bytes of font data;
/// beyond either the oldest steps are forgotten.
class EditHistory
{
public:
    static constexpr std::size_t MaxSteps = 1000;
    static constexpr std::size_t MaxRecordedBytes = std::size_t(512) * 1024 * 1024;

    /// Records a change just made (the step holds the state before it) and forgets
    /// the steps that had been undone.
    void push(EditStep step);
    /// Forgets every step; `savedNow` says whether the font as it is now is saved.
    void clear(bool savedNow);

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_steps.size(); }
    QString undoText() const;
    QString redoText() const;

    /// Takes back the last step done; returns it, or nullptr when there is none.
    const EditStep *undo(Font &font);
    /// Does the last step undone again; returns it, or nullptr when there is none.
    const EditStep *redo(Font &font);

    /// Marks the font as it is now as saved.
    void markSaved();
    /// Whether the font is as it was when last saved (or opened).
    bool isAtSavedPoint() const;

    std::size_t stepCount() const { return m_steps.size(); }
    std::size_t recordedBytes() const { return m_recordedBytes; }

    /// The most bytes the history keeps (MaxRecordedBytes unless set otherwise).
    std::size_t byteLimit() const { return m_byteLimit; }
    void setByteLimit(std::size_t bytes) { m_byteLimit = bytes; }

private:
    void forgetOldest();
    void exchange(EditStep &step, Font &font);

    std::deque<EditStep> m_steps;
    std::size_t m_done = 0;
    std::size_t m_recordedBytes = 0;
    std::size_t m_byteLimit = MaxRecordedBytes;
    /// Steps done at the saved point; -1 when no position of the history holds
    /// the saved font.
    long long m_savedAt = 0;
};

} // namespace Kernwick
