#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kernwick {

/// A picture of one byte per pixel, row 0 at the top: brightness levels (0 black
/// to 255 white) as loaded, or the 0, 128 and 255 of a thresholded picture.
struct GreyImage
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> levels; ///< `height` rows of `width` bytes

    /// A picture of `w` × `h` pixels, all of `fill`.
    static GreyImage filled(int w, int h, std::uint8_t fill = 0)
    {
        return {w, h, std::vector<std::uint8_t>(std::size_t(w) * std::size_t(h), fill)};
    }

    std::uint8_t level(int row, int column) const { return levels[index(row, column)]; }
    void setLevel(int row, int column, std::uint8_t value) { levels[index(row, column)] = value; }

    bool operator==(const GreyImage &) const = default;

private:
    std::size_t index(int row, int column) const
    {
        return std::size_t(row) * std::size_t(width) + std::size_t(column);
    }
};

} // namespace Kernwick
