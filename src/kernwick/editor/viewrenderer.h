#pragma once

#include "editor/viewlayout.h"

#include "libkernwick/font/font.h"

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QSize>

class QPainter;

namespace Kernwick {

/// The colours of the editor view.
namespace ViewColors {
inline const QColor Grey{128, 128, 128};
inline const QColor Red{255, 0, 0};
inline const QColor Blue{0, 0, 255};
inline const QColor White{255, 255, 255};
inline const QColor LightGreen{102, 255, 102};
/// Pixel value 3, which only a loaded 2BPP file can hold.
inline const QColor ValueThree{255, 153, 0};

/// The colour of pixel `value` in a font of depth `ldepth`: transparent light
/// green, 1 grey (2BPP halftone) or white (1BPP), 2 white, 3 its own colour.
QColor pixel(std::uint8_t value, std::uint8_t ldepth);
} // namespace ViewColors

/// What one repaint of the editor view shows.
struct ViewFrame
{
    const Font *font = nullptr;
    const ViewLayout *layout = nullptr;
    int currentIndex = -1; ///< the current glyph's index, -1 when there is none
    QPoint scroll;         ///< document position at the viewport's top left
    QSize viewport;
    /// The glyph labels' font, when the layout has labels (see glyphLabelFont()).
    QFont labelFont;
};

/// The glyph labels' font: `base` a little smaller, so a label stays close to a
/// thumbnail's width.
QFont glyphLabelFont(const QFont &base);
/// The room labels in `font` take (see ViewLayout).
GlyphLabelMetrics glyphLabelMetrics(const QFont &font);

/// Paints the editor view: the current glyph's enlarged grid with its ascent row
/// (red) and left column (blue), the red frame, the information panel and the
/// thumbnail strip with the current glyph framed and joined to the grid, and the
/// glyph labels under the thumbnails when the layout has them. Only
/// what lies inside the viewport is drawn, so a font of any size repaints in
/// about the same time.
void paintView(QPainter &painter, const ViewFrame &frame);

/// The information panel's lines for glyph `index` of `font`.
QStringList infoLines(const Font &font, int index);

/// The UTF-8 line for a character code, e.g. "UTF-8: 195 169 (C3h A9h)".
QString utf8Line(int code);

} // namespace Kernwick
