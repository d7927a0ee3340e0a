#pragma once

#include "libkernwick/font/font.h"
#include "libkernwick/font/fontchart.h"

#include <QFont>
#include <QSize>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

namespace Kernwick {

/// The font the chart's titles and labels are written in: the system's
/// fixed-pitch font at 10 points, so the 4-character label room fits the codes.
QFont chartTextFont();

/// The metrics a chart layout needs for pages of `pageSize` device units on
/// `device`, with `textFont` measured at that device's resolution.
ChartPageMetrics chartPageMetrics(const QSize &pageSize, const QPaintDevice *device,
                                  const QFont &textFont = chartTextFont());

/// Draws one laid-out page of the chart of `font` with `painter`, whose origin is
/// the page's top-left corner. Titles and labels are written in black in
/// `textFont`; a pixel of value 1 is a grey cell in a 2BPP font and a black one
/// in a 1BPP font, values 2 and 3 are black cells, each outlined with the black
/// pen; transparent pixels are not drawn; each glyph's box is outlined.
void drawChartPage(QPainter &painter, const Font &font, const ChartPage &page,
                   const QFont &textFont = chartTextFont());

/// Lays out the chart of `font` for the pages of `device` (its whole paintable
/// area) and draws every page on it, starting a new page for each. Returns false
/// when painting on the device cannot begin.
bool printChart(QPagedPaintDevice *device, const Font &font,
                const QFont &textFont = chartTextFont());

} // namespace Kernwick
