#pragma once

#include "libkernwick/font/font.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace Kernwick {

/// How much of the font one undo step keeps: the header always, and besides it
/// one glyph or the whole glyph table.
enum class EditScope
{
    Header, ///< a header field only (Set Ascent, Font Name)
    Glyph,  ///< one glyph and the header (painting, column and clipboard commands)
    Table   ///< every glyph and the header (row, character and depth commands, X2)
};

/// One undoable change. It holds the state on the other side of the change: the
/// state before it while the change is done, the state after it once undone.
struct EditStep
{
    QString text; ///< what the change was, for "Undo <text>"
    EditScope scope = EditScope::Header;
    FontHeader header;
    int glyphIndex = -1; ///< the glyph of a Glyph step
    Glyph glyph;
    std::vector<Glyph> table;

    /// Records `font` as it is now, before a change of `scope` (`glyphIndex`
    /// names the glyph of a Glyph step).
    static EditStep before(const Font &font, EditScope scope, int glyphIndex, QString text);
    /// Bytes of font data the step keeps.
    std::size_t recordedBytes() const;
    /// Exchanges the recorded state with the font's.
    void swapWith(Font &font);
};

/// The undo history of one font: a list of steps and the position between the
/// ones done and the ones undone, plus the position at which the font was saved.
///
/// The history holds at most MaxSteps steps and MaxRecordedBytes bytes of font
/// data; beyond either the oldest steps are forgotten.
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

private:
    void forgetOldest();
    void exchange(EditStep &step, Font &font);

    std::deque<EditStep> m_steps;
    std::size_t m_done = 0;
    std::size_t m_recordedBytes = 0;
    /// Steps done at the saved point; -1 when no position of the history holds
    /// the saved font.
    long long m_savedAt = 0;
};

} // namespace Kernwick
