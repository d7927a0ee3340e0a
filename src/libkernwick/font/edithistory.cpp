#include "libkernwick/font/edithistory.h"

#include <utility>

namespace Kernwick {

namespace {

std::size_t glyphBytes(const Glyph &g)
{
    return sizeof(Glyph) + g.pixels.capacity();
}

} // namespace

EditStep EditStep::before(const Font &font, EditScope scope, int glyphIndex, QString text)
{
    EditStep step;
    step.text = std::move(text);
    step.scope = scope;
    step.header = font.header;
    if (scope == EditScope::Glyph) {
        step.glyphIndex = glyphIndex;
        step.glyph = font.glyphs[std::size_t(glyphIndex)];
    } else if (scope == EditScope::Table) {
        step.table = font.glyphs;
    }
    return step;
}

std::size_t EditStep::recordedBytes() const
{
    std::size_t bytes = sizeof(EditStep);
    if (scope == EditScope::Glyph)
        bytes += glyphBytes(glyph);
    for (const Glyph &g : table)
        bytes += glyphBytes(g);
    return bytes;
}

void EditStep::swapWith(Font &font)
{
    std::swap(header, font.header);
    if (scope == EditScope::Glyph)
        std::swap(glyph, font.glyphs[std::size_t(glyphIndex)]);
    else if (scope == EditScope::Table)
        std::swap(table, font.glyphs);
}

void EditHistory::push(EditStep step)
{
    while (m_steps.size() > m_done) {
        m_recordedBytes -= m_steps.back().recordedBytes();
        m_steps.pop_back();
    }
    // The saved font lay among the steps just forgotten: no position holds it now.
    if (m_savedAt > (long long)m_done)
        m_savedAt = -1;
    m_recordedBytes += step.recordedBytes();
    m_steps.push_back(std::move(step));
    ++m_done;
    while (m_steps.size() > 1 && (m_steps.size() > MaxSteps || m_recordedBytes > MaxRecordedBytes))
        forgetOldest();
}

void EditHistory::forgetOldest()
{
    m_recordedBytes -= m_steps.front().recordedBytes();
    m_steps.pop_front();
    --m_done;
    if (m_savedAt >= 0)
        --m_savedAt; // reaching -1 means the saved font was the one forgotten
}

void EditHistory::clear(bool savedNow)
{
    m_steps.clear();
    m_done = 0;
    m_recordedBytes = 0;
    m_savedAt = savedNow ? 0 : -1;
}

QString EditHistory::undoText() const
{
    return canUndo() ? m_steps[m_done - 1].text : QString();
}

QString EditHistory::redoText() const
{
    return canRedo() ? m_steps[m_done].text : QString();
}

const EditStep *EditHistory::undo(Font &font)
{
    if (!canUndo())
        return nullptr;
    EditStep &step = m_steps[--m_done];
    exchange(step, font);
    return &step;
}

const EditStep *EditHistory::redo(Font &font)
{
    if (!canRedo())
        return nullptr;
    EditStep &step = m_steps[m_done++];
    exchange(step, font);
    return &step;
}

void EditHistory::exchange(EditStep &step, Font &font)
{
    // The step now keeps the other state, whose size may differ.
    m_recordedBytes -= step.recordedBytes();
    step.swapWith(font);
    m_recordedBytes += step.recordedBytes();
}

void EditHistory::markSaved()
{
    m_savedAt = (long long)m_done;
}

bool EditHistory::isAtSavedPoint() const
{
    return m_savedAt == (long long)m_done;
}

} // namespace Kernwick
