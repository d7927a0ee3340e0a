#pragma once

#include <QObject>

#include <memory>

class QPrinter;
class QWidget;

namespace Kernwick {

class Document;
enum class ChartPrint;

/// The File menu's printing commands: Print, Print Setup and Print Preview, all
/// drawing the font chart of the document's font. The printer and its settings
/// (paper, orientation, margins, the printer chosen) are kept for the whole run.
class PrintController : public QObject
{
    Q_OBJECT

public:
    PrintController(const Document &document, QWidget *window);
    ~PrintController() override;

    /// The printer every command uses, with the settings last chosen.
    QPrinter &printer() { return *m_printer; }

    /// Print: the print dialog, its page range running over the chart's pages,
    /// then the chosen pages.
    void print();
    /// Print Setup: paper, orientation and margins for later prints.
    void printSetup();
    /// Print Preview: every page of the chart as the printer would print it; the
    /// preview can print them too.
    void printPreview();

private:
    void report(ChartPrint outcome, const QPrinter &printer);

    const Document &m_document;
    QWidget *m_window;
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace Kernwick
