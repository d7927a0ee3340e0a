#include "libkernwick/render/chartexport.h"

#include "libkernwick/render/chartrenderer.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace Kernwick {

namespace {

// An image that measures text at `dpi`, as the pages of a PNG chart do.
QImage imageAt(const QSize &size, int dpi)
{
    QImage image(size, QImage::Format_Grayscale8);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

QSize a4Pixels(int dpi)
{
    return QPageSize(QPageSize::A4).sizePixels(dpi);
}

// A4 without margins: the chart's own margins place it as on a printer's page.
void setUpPdf(QPdfWriter *writer, int dpi)
{
    writer->setResolution(dpi);
    writer->setPageSize(QPageSize(QPageSize::A4));
    writer->setPageMargins(QMarginsF(0, 0, 0, 0));
}

} // namespace

FontChart pdfChartLayout(const Font &font, int dpi)
{
    QBuffer unused;
    QPdfWriter writer(&unused);
    setUpPdf(&writer, dpi);
    return layoutFontChart(font, chartPageMetrics(QSize(writer.width(), writer.height()), &writer));
}

bool writeChartPdf(const Font &font, int dpi, QIODevice *device, QString *error)
{
    QPdfWriter writer(device);
    writer.setCreator(QStringLiteral("Kernwick"));
    writer.setTitle(QStringLiteral("Font Name %1").arg(QString::fromLatin1(font.nameText())));
    setUpPdf(&writer, dpi);
    if (!printChart(&writer, font)) {
        *error = QStringLiteral("Cannot write the chart as a PDF");
        return false;
    }
    return true;
}

FontChart pngChartLayout(const Font &font, int dpi)
{
    const QImage probe = imageAt(QSize(1, 1), dpi);
    return layoutFontChart(font, chartPageMetrics(a4Pixels(dpi), &probe));
}

bool writeChartPng(const Font &font, int dpi, QIODevice *device, QString *error)
{
    const QSize page = a4Pixels(dpi);
    const FontChart chart = pngChartLayout(font, dpi);
    const qint64 height = qint64(page.height()) * chart.pageCount();
    if (height > MaxChartPngHeight || height * page.width() > MaxChartPngPixels) {
        *error = QStringLiteral("The chart's %1 pages are too many for one PNG picture at %2 "
                                "dpi; write it as a PDF")
                     .arg(chart.pageCount())
                     .arg(dpi);
        return false;
    }
    QImage image = imageAt(QSize(page.width(), int(height)), dpi);
    if (image.isNull()) {
        *error = QStringLiteral("Not enough memory for the chart's picture");
        return false;
    }
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        for (const ChartPage &chartPage : chart.pages) {
            painter.save();
            painter.translate(0, qint64(page.height()) * (chartPage.number - 1));
            painter.setClipRect(QRect(QPoint(0, 0), page));
            drawChartPage(painter, font, chartPage);
            painter.restore();
        }
    }
    if (!image.save(device, "PNG")) {
        *error = QStringLiteral("Cannot encode the chart as a PNG picture");
        return false;
    }
    return true;
}

} // namespace Kernwick
