#include "app/printcontroller.h"

#include "editor/chartprinting.h"
#include "widgets/busycursor.h"
#include "widgets/messages.h"

#include "libkernwick/font/document.h"
#include "libkernwick/render/chartexport.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace Kernwick {

namespace {

// Each print starts from the whole chart (a range chosen for an earlier print
// would otherwise carry over to a font with other pages) and is named after the
// document, which also names the PDF a print to file suggests.
void prepareJob(QPrinter &printer, const Document &document)
{
    printer.setPrintRange(QPrinter::AllPages);
    printer.setPageRanges(QPageRanges());
    printer.setDocName(QFileInfo(document.title()).completeBaseName());
}

} // namespace

PrintController::PrintController(const Document &document, QWidget *window)
    : QObject(window), m_document(document), m_window(window),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    // The chart counts 10 device units per glyph pixel: at a laser printer's
    // 600 dpi, the same size as the command line's PDF charts.
    m_printer->setResolution(DefaultChartPdfDpi);
}

PrintController::~PrintController() = default;

void PrintController::print()
{
    prepareJob(*m_printer, m_document);
    const int pageCount = printerChartLayout(m_document.font(), *m_printer).pageCount();
    QPrintDialog dialog(m_printer.get(), m_window);
    dialog.setMinMax(1, pageCount);
    dialog.setFromTo(1, pageCount);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    ChartPrint outcome;
    {
        const BusyCursor busy; // a large chart takes a while to draw
        outcome = printFontChart(*m_printer, m_document.font());
    }
    report(outcome, *m_printer);
}

void PrintController::printSetup()
{
    QPageSetupDialog dialog(m_printer.get(), m_window);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    runDialog(dialog);
}

void PrintController::printPreview()
{
    prepareJob(*m_printer, m_document);
    QPrintPreviewDialog dialog(m_printer.get(), m_window);
    // The preview draws through here, and so does its own Print button, which
    // may choose a page range first.
    ChartPrint outcome = ChartPrint::Printed;
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this, &outcome](QPrinter *to) {
        const BusyCursor busy; // a large chart takes a while to draw
        const ChartPrint drawn = printFontChart(*to, m_document.font());
        if (drawn != ChartPrint::Printed)
            outcome = drawn;
    });
    if (m_window)
        dialog.resize(m_window->size().expandedTo(QSize(800, 600)));
    runDialog(dialog);
    report(outcome, *m_printer);
}

void PrintController::report(ChartPrint outcome, const QPrinter &printer)
{
    const QString target =
        printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    switch (outcome) {
    case ChartPrint::Printed:
        return;
    case ChartPrint::NothingChosen:
        showWarning(m_window,
                    QStringLiteral("None of the pages chosen is in the font chart; nothing "
                                   "was printed."));
        return;
    case ChartPrint::Failed:
        showWarning(m_window, QStringLiteral("The font chart could not be printed on %1.")
                                  .arg(target.isEmpty() ? QStringLiteral("the printer") : target));
        return;
    }
}

} // namespace Kernwick
