#pragma once

#include "libkernwick/font/font.h"
#include "libkernwick/font/fontchart.h"

#include <QPageRanges>

#include <vector>

class QPrinter;

namespace Kernwick {

/// Which pages of the font chart a print job draws, and how often.
struct ChartPrintJob
{
    QPageRanges ranges;  ///< the pages chosen; empty for every page
    int copies = 1;      ///< copies the program draws itself (1 when the printer makes them)
    bool collate = true; ///< whole copies one after another, rather than each page repeated
    bool lastPageFirst = false;
};

/// The job `printer` asks for, as its print dialog left it.
ChartPrintJob chartPrintJob(const QPrinter &printer);

/// The page numbers (counted from 1) to draw, in order, for a chart of `pageCount`
/// pages. Chosen pages beyond the chart are left out.
std::vector<int> chartPrintSequence(int pageCount, const ChartPrintJob &job);

/// The chart of `font` laid out on the paintable area of `printer`'s pages, with
/// the chart's text measured at the printer's resolution.
FontChart printerChartLayout(const Font &font, QPrinter &printer);

enum class ChartPrint
{
    Printed,
    NothingChosen, ///< the pages chosen are all beyond the chart; nothing was sent
    Failed         ///< the printer (or the file it writes) could not take the job
};

/// Lays out the chart of `font` for `printer` and draws the pages its job
/// chooses. The whole chart is laid out first, so every glyph is on a page.
ChartPrint printFontChart(QPrinter &printer, const Font &font);

} // namespace Kernwick
