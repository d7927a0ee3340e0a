#include "libkernwick/font/edithistory.h"

#include <algorithm>
#include <utility>

namespace Kernwick {

namespace {

std::size_t glyphBytes(const Glyph &g)
{
    return sizeof(Glyph) + g.pixels.capacity();
}

bool everyGlyphHasHeightRows(const Font &font)
{
    return std::all_of(font.glyphs.begin(), font.glyphs.end(),
                       [&](const Glyph &g) { return g.rowCount == font.header.height; });
}

std::size_t pixelCount(const Font &font)
{
    std::size_t n = 0;
    for (const Glyph &g : font.glyphs)
        n += g.pixels.size();
    return n;
}

// Gives every glyph `to` rows; rows added come from `kept` (the extra rows of
// every glyph in turn), or are transparent when `kept` is empty.
void setRows(Font &font, int from, int to, const std::vector<std::uint8_t> &kept)
{
    std::size_t at = 0;
    for (Glyph &g : font.glyphs) {
        g.resize(to, g.width);
        if (to <= from || kept.empty())
            continue;
        const std::size_t bytes = std::size_t(to - from) * g.width;
        std::copy_n(kept.begin() + std::ptrdiff_t(at), bytes, g.row(from));
        at += bytes;
    }
}

// Converts between the depths: 2BPP pixels become p >> 1, 1BPP pixels 2p plus
// their kept low bit. These are the conversions' own mappings on pixels within
// their depth's values, and each takes the other back.
void setDepth(Font &font, int toLdepth, const std::vector<std::uint8_t> &lowBits)
{
    std::size_t bit = 0;
    for (Glyph &g : font.glyphs) {
        for (std::uint8_t &p : g.pixels) {
            if (toLdepth == 0)
                p = std::uint8_t(p >> 1);
            else
                p = std::uint8_t(2 * p +
                                 (lowBits.empty() ? 0 : (lowBits[bit >> 3] >> (bit & 7)) & 1));
            ++bit;
        }
    }
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

bool EditStep::admit(std::size_t bytes)
{
    if (bytes <= byteLimit)
        return true;
    unrecorded = true;
    declined = goOnUnrecorded && !goOnUnrecorded();
    return false;
}

bool EditStep::recordHeightChange(const Font &font, int newHeight)
{
    const int height = font.header.height;
    if (!everyGlyphHasHeightRows(font))
        return recordTable(font);
    if (newHeight >= height) {
        scope = EditScope::Rows;
        return true; // the rows added are transparent
    }
    std::size_t bytes = 0;
    for (const Glyph &g : font.glyphs)
        bytes += std::size_t(height - newHeight) * g.width;
    if (!admit(bytes))
        return !declined;
    scope = EditScope::Rows;
    data.reserve(bytes);
    for (const Glyph &g : font.glyphs)
        data.insert(data.end(), g.row(newHeight), g.pixels.data() + g.pixels.size());
    return true;
}

void EditStep::recordInsertedGlyph(int index)
{
    scope = EditScope::Character;
    glyphIndex = index;
    holdsGlyph = false;
}

void EditStep::recordDeletedGlyph(Font &font, int index)
{
    scope = EditScope::Character;
    glyphIndex = index;
    glyph = std::move(font.glyphs[std::size_t(index)]);
    holdsGlyph = true;
}

bool EditStep::recordDepthChange(const Font &font)
{
    const int top = font.header.ldepth == 0 ? 1 : 3;
    bool anyLowBit = false;
    for (const Glyph &g : font.glyphs) {
        for (std::uint8_t p : g.pixels) {
            if (p > top)
                return recordTable(font);
            anyLowBit = anyLowBit || (top == 3 && (p & 1));
        }
    }
    if (!anyLowBit) {
        scope = EditScope::Depth;
        return true;
    }
    const std::size_t bytes = (pixelCount(font) + 7) / 8;
    if (!admit(bytes))
        return !declined;
    scope = EditScope::Depth;
    data.assign(bytes, 0);
    std::size_t bit = 0;
    for (const Glyph &g : font.glyphs)
        for (std::uint8_t p : g.pixels) {
            data[bit >> 3] |= std::uint8_t((p & 1) << (bit & 7));
            ++bit;
        }
    return true;
}

bool EditStep::recordTable(const Font &font)
{
    std::size_t bytes = 0;
    for (const Glyph &g : font.glyphs)
        bytes += glyphBytes(g);
    if (!admit(bytes))
        return !declined;
    scope = EditScope::Table;
    table = font.glyphs;
    return true;
}

bool EditStep::recordGlyphRun(const Font &font, int first, int count)
{
    const auto begin = font.glyphs.begin() + first;
    std::size_t bytes = 0;
    for (auto g = begin; g != begin + count; ++g)
        bytes += glyphBytes(*g);
    if (!admit(bytes))
        return !declined;
    scope = EditScope::GlyphRun;
    glyphIndex = first;
    table.assign(begin, begin + count);
    return true;
}

std::size_t EditStep::recordedBytes() const
{
    std::size_t bytes = sizeof(EditStep) + data.capacity();
    if (scope == EditScope::Glyph || holdsGlyph)
        bytes += glyphBytes(glyph);
    for (const Glyph &g : table)
        bytes += glyphBytes(g);
    return bytes;
}

void EditStep::swapWith(Font &font)
{
    const FontHeader other = header;
    const int height = font.header.height;
    std::swap(header, font.header);
    switch (scope) {
    case EditScope::Header:
        break;
    case EditScope::Glyph:
        std::swap(glyph, font.glyphs[std::size_t(glyphIndex)]);
        break;
    case EditScope::Table:
        std::swap(table, font.glyphs);
        break;
    case EditScope::GlyphRun:
        std::swap_ranges(table.begin(), table.end(), font.glyphs.begin() + glyphIndex);
        break;
    case EditScope::Rows:
        // The rows kept stay kept: the font is the same whenever they go again.
        setRows(font, height, other.height, data);
        break;
    case EditScope::Character:
        if (holdsGlyph) {
            font.glyphs.insert(font.glyphs.begin() + glyphIndex, std::move(glyph));
            glyph = Glyph();
        } else {
            glyph = std::move(font.glyphs[std::size_t(glyphIndex)]);
            font.glyphs.erase(font.glyphs.begin() + glyphIndex);
        }
        holdsGlyph = !holdsGlyph;
        break;
    case EditScope::Depth:
        setDepth(font, other.ldepth, data);
        break;
    }
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
