#include "editor/chartprinting.h"

#include "libkernwick/render/chartrenderer.h"

#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace Kernwick {

ChartPrintJob chartPrintJob(const QPrinter &printer)
{
    ChartPrintJob job;
    if (printer.printRange() == QPrinter::PageRange)
        job.ranges = printer.pageRanges();
    // A printer that makes copies itself gets each page once.
    job.copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    job.collate = printer.collateCopies();
    job.lastPageFirst = printer.pageOrder() == QPrinter::LastPageFirst;
    return job;
}

std::vector<int> chartPrintSequence(int pageCount, const ChartPrintJob &job)
{
    std::vector<int> pages;
    for (int page = 1; page <= pageCount; ++page) {
        if (job.ranges.isEmpty() || job.ranges.contains(page))
            pages.push_back(page);
    }
    if (job.lastPageFirst)
        std::reverse(pages.begin(), pages.end());
    const int copies = std::max(1, job.copies);
    std::vector<int> sequence;
    sequence.reserve(pages.size() * std::size_t(copies));
    if (job.collate) {
        for (int copy = 0; copy < copies; ++copy)
            sequence.insert(sequence.end(), pages.begin(), pages.end());
    } else {
        for (const int page : pages)
            sequence.insert(sequence.end(), std::size_t(copies), page);
    }
    return sequence;
}

FontChart printerChartLayout(const Font &font, QPrinter &printer)
{
    return layoutFontChart(font,
                           chartPageMetrics(QSize(printer.width(), printer.height()), &printer));
}

ChartPrint printFontChart(QPrinter &printer, const Font &font)
{
    const FontChart chart = printerChartLayout(font, printer);
    const std::vector<int> sequence = chartPrintSequence(chart.pageCount(), chartPrintJob(printer));
    if (sequence.empty())
        return ChartPrint::NothingChosen;
    QPainter painter;
    if (!painter.begin(&printer))
        return ChartPrint::Failed;
    bool firstPage = true;
    for (const int number : sequence) {
        if (!firstPage && !printer.newPage()) {
            painter.end();
            return ChartPrint::Failed;
        }
        firstPage = false;
        drawChartPage(painter, font, chart.pages[std::size_t(number - 1)]);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return ChartPrint::Failed;
    return ChartPrint::Printed;
}

} // namespace Kernwick
