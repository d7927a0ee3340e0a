#pragma once

// Reads a PDF the program wrote through poppler's command-line tools (pdfinfo,
// pdftotext), so tests check pages and text the way a reader sees them.

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace Kernwick::Test {

/// Runs a poppler tool on a PDF and returns what it printed; a failure is a test
/// failure and gives an empty text.
inline QString poppler(const QString &tool, const QStringList &args)
{
    QProcess process;
    process.start(tool, args);
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        ADD_FAILURE() << tool.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

/// The number of pages pdfinfo reports.
inline int pdfPageCount(const QString &pdf)
{
    const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)$"),
                                   QRegularExpression::MultilineOption);
    return pages.match(poppler(QStringLiteral("pdfinfo"), {pdf})).captured(1).toInt();
}

/// The text of every page, in reading order.
inline QString pdfText(const QString &pdf)
{
    return poppler(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")});
}

} // namespace Kernwick::Test
