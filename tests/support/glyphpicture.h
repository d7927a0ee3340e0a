#pragma once

// Glyphs drawn as text in tests: one string per row, one digit per pixel.

#include "libkernwick/font/font.h"

#include <string>
#include <vector>

namespace Kernwick::Test {

inline Glyph picture(const std::vector<std::string> &rows)
{
    Glyph g;
    g.reset(int(rows.size()), rows.empty() ? 0 : int(rows[0].size()));
    for (int r = 0; r < g.rowCount; ++r)
        for (int c = 0; c < g.width; ++c)
            g.setPixel(r, c, std::uint8_t(rows[std::size_t(r)][std::size_t(c)] - '0'));
    return g;
}

inline std::vector<std::string> rowsOf(const Glyph &g)
{
    std::vector<std::string> rows;
    for (int r = 0; r < g.rowCount; ++r) {
        std::string row;
        for (int c = 0; c < g.width; ++c)
            row += char('0' + g.pixel(r, c));
        rows.push_back(row);
    }
    return rows;
}

} // namespace Kernwick::Test
