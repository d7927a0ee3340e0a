// Printing the font chart from the desktop program: the page sequence of a print
// job, Print into a PDF (read back with poppler's pdfinfo and pdftotext), Print
// Setup's settings kept for later prints, and Print Preview's pages.

#include "app/mainactions.h"
#include "app/mainwindow.h"
#include "app/printcontroller.h"
#include "editor/chartprinting.h"
#include "namedcase.h"
#include "pdftext.h"
#include "qtprinters.h"
#include "testapplication.h"
#include "useranswers.h"
#include "widgets/messages.h"

#include "libkernwick/font/document.h"
#include "libkernwick/render/chartexport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

KERNWICK_TEST_APPLICATION(QApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

// ---- The order of the pages a job draws ----

struct SequenceCase : NamedCase
{
    int pageCount;
    QList<QPair<int, int>> ranges;
    int copies;
    bool collate;
    bool lastPageFirst;
    std::vector<int> expected;
};

class ChartPrintSequence : public ::testing::TestWithParam<SequenceCase>
{
};

TEST_P(ChartPrintSequence, FollowsTheJob)
{
    const SequenceCase &c = GetParam();
    ChartPrintJob job;
    for (const auto &[from, to] : c.ranges)
        job.ranges.addRange(from, to);
    job.copies = c.copies;
    job.collate = c.collate;
    job.lastPageFirst = c.lastPageFirst;
    EXPECT_EQ(chartPrintSequence(c.pageCount, job), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, ChartPrintSequence,
    ::testing::Values(SequenceCase{{"EveryPage"}, 3, {}, 1, true, false, {1, 2, 3}},
                      SequenceCase{{"OnePageChart"}, 1, {}, 1, true, false, {1}},
                      SequenceCase{{"ARange"}, 5, {{2, 3}}, 1, true, false, {2, 3}},
                      SequenceCase{{"TwoRanges"}, 6, {{1, 1}, {4, 5}}, 1, true, false, {1, 4, 5}},
                      SequenceCase{{"RangePastTheEndIsCut"}, 3, {{2, 9}}, 1, true, false, {2, 3}},
                      SequenceCase{{"RangeBeyondTheChart"}, 3, {{4, 9}}, 1, true, false, {}},
                      SequenceCase{{"LastPageFirst"}, 3, {}, 1, true, true, {3, 2, 1}},
                      SequenceCase{{"CollatedCopies"}, 2, {}, 2, true, false, {1, 2, 1, 2}},
                      SequenceCase{{"UncollatedCopies"}, 2, {}, 2, false, false, {1, 1, 2, 2}},
                      SequenceCase{
                          {"CopiesOfARangeBackwards"}, 4, {{2, 3}}, 2, true, true, {3, 2, 3, 2}}),
    CaseName());

// ---- The File menu's printing commands ----

// The page titles of a PDF chart, in the order of its pages.
QStringList pdfTitles(const QString &pdf)
{
    const QString text = pdfText(pdf);
    QStringList titles;
    const QRegularExpression title(QStringLiteral("Font Name \\S+ Page \\d+"));
    for (auto it = title.globalMatch(text); it.hasNext();)
        titles << it.next().captured();
    return titles;
}

// A font of `chars` glyphs `width` pixels wide, with a few pixels set so every
// value has cells to draw.
Font fontOf(int chars, int width, int height)
{
    Font font = defaultFont();
    font.header.height = std::uint8_t(height);
    font.header.ascent = std::uint8_t(height - 1);
    font.resizeGlyphTable(chars);
    for (Glyph &g : font.glyphs) {
        g.reset(height, width);
        g.setPixel(0, 0, 1);
    }
    font.computeFileSize();
    return font;
}

// Runs `dialog` as the program would (its own exec(), which some dialogs need to
// write their fields back into the printer) while `user` acts once it shows.
int runAsUser(QDialog &dialog, const std::function<void()> &user)
{
    QTimer::singleShot(0, &dialog, user);
    return dialog.exec();
}

class PrintingTest : public ::testing::Test, protected UserAnswers
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<MainWindow>(PortTable::fromDevices({}));
    }
    void TearDown() override { window.reset(); }

    QPrinter &printer() { return window->printing().printer(); }
    QString path(const QString &name) const { return dir.filePath(name); }

    // The printer writes A4 pages without margins into a PDF at 600 dpi, as the
    // command line's charts do, so their layout is an independent count.
    void printIntoPdf(const QString &file)
    {
        printer().setOutputFormat(QPrinter::PdfFormat);
        printer().setOutputFileName(file);
        printer().setPageSize(QPageSize(QPageSize::A4));
        printer().setPageMargins(QMarginsF(0, 0, 0, 0));
        printer().setResolution(DefaultChartPdfDpi);
    }

    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window;
};

TEST_F(PrintingTest, TheCommandsAreInTheFileMenuAndEnabled)
{
    MainActions &a = window->actions();
    EXPECT_EQ(a.print->text(), "&Print...");
    EXPECT_EQ(a.print->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_EQ(a.printSetup->text(), "P&rint Setup...");
    EXPECT_EQ(a.printPreview->text(), "Print Pre&view...");
    for (QAction *command : {a.print, a.printSetup, a.printPreview})
        EXPECT_TRUE(command->isEnabled()) << command->text().toStdString();
}

TEST_F(PrintingTest, PrintGivesEveryPageTheLayoutNeedsAndOffersThemAsTheRange)
{
    const Font big = fontOf(3000, 3, 2);
    window->document().takeImportedFont(big);
    printIntoPdf(path("chart.pdf"));
    const int expected = pdfChartLayout(big, DefaultChartPdfDpi).pageCount();
    ASSERT_GT(expected, 2);
    EXPECT_EQ(printerChartLayout(big, printer()).pageCount(), expected);

    int minPage = 0;
    int maxPage = 0;
    onDialog = [&](QDialog &dialog) {
        auto *print = qobject_cast<QPrintDialog *>(&dialog);
        EXPECT_NE(print, nullptr);
        if (print) {
            minPage = print->minPage();
            maxPage = print->maxPage();
            EXPECT_EQ(print->printer(), &printer());
        }
        return int(QDialog::Accepted);
    };
    window->actions().print->trigger();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(minPage, 1);
    EXPECT_EQ(maxPage, expected);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    EXPECT_EQ(pdfPageCount(path("chart.pdf")), expected);
    EXPECT_TRUE(poppler(QStringLiteral("pdfinfo"), {path("chart.pdf")})
                    .contains(QRegularExpression(QStringLiteral("Title:\\s+Untitled\n"))))
        << "the job is named after the document";
    const QStringList titles = pdfTitles(path("chart.pdf"));
    ASSERT_EQ(titles.size(), expected);
    EXPECT_EQ(titles.first(), "Font Name default Page 1");
    EXPECT_EQ(titles.last(), QStringLiteral("Font Name default Page %1").arg(expected));
}

TEST_F(PrintingTest, APageRangePrintsOnlyThosePagesAndTheNextPrintOffersAllAgain)
{
    window->document().takeImportedFont(fontOf(3000, 3, 2));
    printIntoPdf(path("range.pdf"));
    onDialog = [&](QDialog &) {
        // What the dialog leaves on the printer when the user types pages 2 to 3.
        printer().setPrintRange(QPrinter::PageRange);
        printer().setFromTo(2, 3);
        return int(QDialog::Accepted);
    };
    window->actions().print->trigger();
    EXPECT_EQ(pdfPageCount(path("range.pdf")), 2);
    EXPECT_EQ(pdfTitles(path("range.pdf")),
              (QStringList{"Font Name default Page 2", "Font Name default Page 3"}));

    QPrinter::PrintRange offered = QPrinter::PageRange;
    onDialog = [&](QDialog &) {
        offered = printer().printRange();
        return int(QDialog::Rejected);
    };
    window->actions().print->trigger();
    EXPECT_EQ(offered, QPrinter::AllPages);
}

TEST_F(PrintingTest, TheDialogsOwnAcceptKeepsThePdfItWasGiven)
{
    printIntoPdf(path("accepted.pdf"));
    onDialog = [](QDialog &dialog) { return runAsUser(dialog, [&dialog] { dialog.accept(); }); };
    window->actions().print->trigger();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    EXPECT_EQ(pdfPageCount(path("accepted.pdf")), 1);
    EXPECT_EQ(pdfTitles(path("accepted.pdf")), QStringList{"Font Name default Page 1"});
}

TEST_F(PrintingTest, CancelPrintsNothing)
{
    printIntoPdf(path("cancelled.pdf"));
    window->actions().print->trigger();
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(QFile::exists(path("cancelled.pdf")));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PrintingTest, APrinterThatCannotTakeTheJobIsReported)
{
    printIntoPdf(path("no/such/folder/chart.pdf"));
    onDialog = [](QDialog &) { return int(QDialog::Accepted); };
    window->actions().print->trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("The font chart could not be printed on %1.")
                               .arg(path("no/such/folder/chart.pdf")));
}

TEST_F(PrintingTest, ARangeBeyondTheChartPrintsNothingAndSaysSo)
{
    printIntoPdf(path("beyond.pdf"));
    onDialog = [this](QDialog &) {
        // Possible when the paper was changed in the dialog after choosing pages.
        printer().setPrintRange(QPrinter::PageRange);
        printer().setFromTo(5, 6);
        return int(QDialog::Accepted);
    };
    window->actions().print->trigger();
    EXPECT_EQ(messages,
              QStringList{"None of the pages chosen is in the font chart; nothing was printed."});
    EXPECT_FALSE(QFile::exists(path("beyond.pdf")));
}

TEST_F(PrintingTest, PrintSetupIsKeptForLaterPrints)
{
    printIntoPdf(path("landscape.pdf"));
    onDialog = [](QDialog &dialog) {
        auto *setup = qobject_cast<QPageSetupDialog *>(&dialog);
        EXPECT_NE(setup, nullptr);
        if (!setup)
            return int(QDialog::Rejected);
        EXPECT_EQ(dialog.windowTitle(), "Print Setup");
        return runAsUser(dialog, [&dialog] {
            // The user picks landscape paper and presses OK.
            auto *landscape = dialog.findChild<QAbstractButton *>(QStringLiteral("landscape"));
            EXPECT_NE(landscape, nullptr);
            if (landscape)
                landscape->click();
            dialog.accept();
        });
    };
    window->actions().printSetup->trigger();
    EXPECT_EQ(printer().pageLayout().orientation(), QPageLayout::Landscape);

    onDialog = [](QDialog &) { return int(QDialog::Accepted); };
    window->actions().print->trigger();
    const QString info = poppler(QStringLiteral("pdfinfo"), {path("landscape.pdf")});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+842"))))
        << info.toStdString();
}

TEST_F(PrintingTest, PreviewShowsThePagesOfTheLayout)
{
    const Font big = fontOf(3000, 3, 2);
    window->document().takeImportedFont(big);
    printIntoPdf(path("unused.pdf"));
    printer().setPrintRange(QPrinter::PageRange); // left over from an earlier print
    printer().setFromTo(2, 2);
    const int expected = pdfChartLayout(big, DefaultChartPdfDpi).pageCount();
    ASSERT_GT(expected, 2);

    int shown = -1;
    onDialog = [&](QDialog &dialog) {
        EXPECT_NE(qobject_cast<QPrintPreviewDialog *>(&dialog), nullptr);
        dialog.show();
        QApplication::processEvents();
        auto *preview = dialog.findChild<QPrintPreviewWidget *>();
        EXPECT_NE(preview, nullptr);
        if (preview)
            shown = preview->pageCount();
        dialog.reject();
        return dialog.result();
    };
    window->actions().printPreview->trigger();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(shown, expected);
    EXPECT_FALSE(QFile::exists(path("unused.pdf"))) << "a preview prints nothing";
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
}

} // namespace
