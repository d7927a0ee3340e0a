#pragma once

#include "libkernwick/font/font.h"
#include "libkernwick/font/glyphdrawing.h"

#include <QColor>
#include <QRect>

#include <cstdint>
#include <optional>
#include <vector>

class QPainter;

namespace Kernwick {

/// What the grid shows over the current glyph while a tool is at work: pixels
/// not yet written to the font (a line or rectangle being dragged, a selection
/// being moved or floating) and the selection's dashed outline.
struct ToolOverlay
{
    struct Pixel
    {
        int row = 0;
        int column = 0;
        std::uint8_t value = 0;
    };
    /// Shown in place of the glyph's pixels at their places.
    std::vector<Pixel> pixels;
    /// The selection, drawn as a dashed frame around its cells.
    std::optional<PixelArea> outline;

    /// The dot marking a pixel shown but not yet written.
    static inline const QColor PendingMark{40, 40, 40};

    bool isEmpty() const { return pixels.empty() && !outline; }

    /// The pixels in which `after` differs from `now` (two glyphs of one size):
    /// what a change about to be made would show.
    static std::vector<Pixel> changes(const Glyph &now, const Glyph &after);
    /// Every pixel of `glyph` that `drawing` in `value` would paint, changed or not.
    static std::vector<Pixel> shape(const Glyph &glyph, const Drawing &drawing, std::uint8_t value);
};

/// Paints `overlay` over a grid whose cells start at `origin` (the top left of
/// cell 0, 0, in the painter's coordinates), `cell` pixels a side, in a font of
/// depth `ldepth`. Pixels leave the grid lines and markers around them visible;
/// only what lies inside `visible` is drawn.
void paintToolOverlay(QPainter &painter, const ToolOverlay &overlay, QPoint origin, int cell,
                      std::uint8_t ldepth, QRect visible);

} // namespace Kernwick
