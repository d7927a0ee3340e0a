#pragma once

#include "libkernwick/font/font.h"
#include "libkernwick/font/fontchart.h"

#include <QString>

class QIODevice;

namespace Kernwick {

/// Device units per inch of a chart written as a PDF: a laser printer's.
inline constexpr int DefaultChartPdfDpi = 600;
/// Pixels per inch of a chart written as a PNG.
inline constexpr int DefaultChartPngDpi = 150;
/// The resolutions a chart may be written at.
inline constexpr int MinChartDpi = 72;
inline constexpr int MaxChartDpi = 1200;

/// The largest PNG chart, in pixels (one byte each), and in height (the PNG
/// library's own limit).
inline constexpr qint64 MaxChartPngPixels = qint64(1) << 30;
inline constexpr int MaxChartPngHeight = 1000000;

/// Writes the chart of `font` on `device` as a PDF: one A4 page without margins
/// per chart page, laid out at `dpi` device units per inch. Pages go out as they
/// are drawn. Returns false with `error` set when the PDF cannot be made.
bool writeChartPdf(const Font &font, int dpi, QIODevice *device, QString *error);

/// The layout writeChartPdf() draws: A4 pages of `dpi` device units per inch.
FontChart pdfChartLayout(const Font &font, int dpi);

/// The layout writeChartPng() draws: A4 pages of `dpi` pixels per inch.
FontChart pngChartLayout(const Font &font, int dpi);

/// Writes the chart of `font` on `device` as one PNG of A4 pages at `dpi` pixels
/// per inch, one under another, on white. Returns false with `error` set when the
/// picture would pass MaxChartPngPixels or MaxChartPngHeight, or cannot be
/// encoded; nothing is written then.
bool writeChartPng(const Font &font, int dpi, QIODevice *device, QString *error);

} // namespace Kernwick
