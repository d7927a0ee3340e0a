#pragma once

#include "libkernwick/font/threshold.h"

#include <QObject>
#include <QString>

class QWidget;

namespace Kernwick {

class Document;
class RecentFiles;

/// The File menu's font commands and the font debug commands that touch files:
/// New, Open, Save, Save As, the recent files, Import BDF Font, Import Image,
/// Concatenate Fonts, Import Typeface, the glyph sheets and Export. Each asks what it
/// needs through the prompts of app/messages.h and changes the font only through the
/// Document.
class FileController : public QObject
{
    Q_OBJECT

public:
    FileController(Document &document, RecentFiles &recent, QWidget *window);

    /// "Save changes to %1?" when the font is modified: Yes saves, No goes on,
    /// Cancel (or a failed save) stops the command. True when the command may go on.
    bool maybeSave();

    void newFont();
    void open();
    /// Opens `path` (a recent file, the command line); false when it failed, after
    /// the failure has been shown.
    bool openPath(const QString &path);
    /// Save: to the document's file, or to a name asked for. False when nothing was
    /// saved.
    bool save();
    bool saveAs();
    void importBdf();
    /// Import Image: a picture becomes a one-glyph font, thresholded in the
    /// Threshold Image dialog unless it has 1 bit per pixel; the dialog opens on
    /// the thresholds last accepted in this run. Cancel anywhere leaves the
    /// document as it was.
    void importImage();
    void concatenate();
    /// Import Typeface: the save prompt, then the dialog; the rendered font replaces
    /// the document's.
    void importTypeface();
    /// Import Glyph Sheet: the save prompt, then the sheet's font replaces the
    /// document's. A refused sheet leaves the document as it was.
    void importSheet();
    /// Export Glyph Sheet: the font's sheet written atomically to a PNG file.
    void exportSheet();
    /// Export BDF Font: the font written atomically as a BDF file. When BDF cannot
    /// hold every pixel (halftone), a box says how many are left out first.
    void exportBdf();
    void exportC();

private:
    bool saveTo(const QString &path);
    /// A name for an exported file: beside the font's file and named after it, or
    /// after the document's title.
    QString exportSuggestion(const QString &suffix) const;
    /// The name Save As suggests for a font without a file: the font's name with
    /// ".zvf".
    QString untitledFileName() const;

    Document &m_document;
    RecentFiles &m_recent;
    QWidget *m_window;
    ThresholdChoice m_lastThreshold;
};

} // namespace Kernwick
