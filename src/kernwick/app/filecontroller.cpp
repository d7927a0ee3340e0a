#include "app/filecontroller.h"

#include "app/recentfiles.h"
#include "editor/importfontdialog.h"
#include "editor/newfontdialog.h"
#include "editor/thresholddialog.h"
#include "editor/typefacedialog.h"
#include "widgets/busycursor.h"
#include "widgets/messages.h"

#include "libkernwick/font/bdfexport.h"
#include "libkernwick/font/bdfimport.h"
#include "libkernwick/font/cexport.h"
#include "libkernwick/font/concatenate.h"
#include "libkernwick/font/document.h"
#include "libkernwick/font/imageimport.h"
#include "libkernwick/io/savefile.h"
#include "libkernwick/programname.h"
#include "libkernwick/render/glyphsheetimage.h"
#include "libkernwick/render/imagefile.h"
#include "libkernwick/render/typefaceimport.h"

#include <QDir>
#include <QFileInfo>

namespace Kernwick {

namespace {

const QString AllFiles = QStringLiteral("All Files (*)");
const QString SheetFiles = QStringLiteral("Glyph sheets (*.png)");
const QString BdfFiles = QStringLiteral("BDF Font files (*.bdf)");

// The picture formats offered first; "All files" shows every file, as "*.*" does
// where the patterns come from.
const QString GraphicFiles = QStringLiteral(
    "Graphic files (*.tif *.tiff *.ttf *.bmp *.jpeg *.jpg *.ico *.jpg *.jif *.jfif *.koa *.koala "
    "*.pcd *.pcx *.png *.pbm *.pgm *.ppm *.ras *.targa *.tga);;All files (*)");

QString appTitle()
{
    return QString::fromLatin1(ApplicationTitle);
}

// The open failure in the words of a document program.
QString openFailure(const QString &path, const QString &error)
{
    if (!QFileInfo::exists(path))
        return QStringLiteral("%1\nCannot find this file.\nPlease verify that the correct path "
                              "and file name are given.")
            .arg(path);
    if (error == QLatin1String(UnexpectedFileFormat))
        return error;
    return QStringLiteral("Failed to open document.\n%1").arg(error);
}

QString saveFailure(const QString &path, const QString &error)
{
    if (error == QLatin1String(DiskFull))
        return error;
    // An existing file is written in place when its folder is closed, so only
    // the file's own permission, or the folder's for a new file, can stop a save.
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (file.exists() ? !file.isWritable() : (folder.exists() && !folder.isWritable()))
        return QStringLiteral("Unable to write to %1, it is read-only or opened by someone else.")
            .arg(path);
    return QStringLiteral("Failed to save document.\n%1").arg(error);
}

} // namespace

FileController::FileController(Document &document, RecentFiles &recent, QWidget *window)
    : QObject(window), m_document(document), m_recent(recent), m_window(window)
{
}

bool FileController::maybeSave()
{
    // Pixels still floating in the view are work too: they make the font modified.
    m_document.finishEdits();
    if (!m_document.isModified())
        return true;
    switch (askSaveChanges(m_window, m_document.title())) {
    case MessageAnswer::Yes:
        return save();
    case MessageAnswer::No:
        return true;
    default:
        return false;
    }
}

void FileController::newFont()
{
    if (!maybeSave())
        return;
    NewFontDialog dialog(m_window);
    if (runDialog(dialog) == QDialog::Accepted)
        m_document.newFont(dialog.spec());
}

void FileController::open()
{
    if (!maybeSave())
        return;
    const QString path = chooseFile(m_window, FileRequest::open(QStringLiteral("Open"), AllFiles));
    if (!path.isEmpty())
        openPath(path);
}

bool FileController::openPath(const QString &path)
{
    QString error;
    if (!m_document.open(path, &error)) {
        showWarning(m_window, openFailure(path, error));
        return false;
    }
    m_recent.add(path);
    return true;
}

bool FileController::save()
{
    if (m_document.filePath().isEmpty())
        return saveAs();
    return saveTo(m_document.filePath());
}

bool FileController::saveAs()
{
    FileRequest request =
        FileRequest::save(QStringLiteral("Save As"), QStringLiteral("ZUVO Font Files (*.zvf)"),
                          QStringLiteral("zvf"));
    request.suggestion =
        m_document.filePath().isEmpty() ? untitledFileName() : m_document.filePath();
    const QString path = chooseFile(m_window, request);
    return !path.isEmpty() && saveTo(path);
}

QString FileController::untitledFileName() const
{
    // The font's own name, with what a file name cannot hold replaced.
    QString name = QString::fromLatin1(m_document.font().nameText()).trimmed();
    for (QChar &c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    }
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name = m_document.title();
    return name + QStringLiteral(".zvf");
}

bool FileController::saveTo(const QString &path)
{
    QString error;
    if (!m_document.save(path, &error)) {
        showWarning(m_window, saveFailure(path, error));
        return false;
    }
    m_recent.add(path);
    return true;
}

void FileController::importBdf()
{
    if (!maybeSave())
        return;
    const QString path =
        chooseFile(m_window, FileRequest::open(QStringLiteral("Import BDF Font"), BdfFiles));
    if (path.isEmpty())
        return;
    QByteArray text;
    QString error;
    if (!readBdfFile(path, &text, &error)) {
        showMessage(m_window, {QStringLiteral("File Error"), error, MessageIcon::Critical});
        return;
    }
    BdfScan scan;
    if (!scanBdf(text, &scan, &error)) {
        showMessage(m_window, {QStringLiteral("Error"), error, MessageIcon::Warning});
        return;
    }
    ImportFontDialog dialog(initialImportFontChoice(scan.characterCount, scan.firstEncoding, path),
                            m_window);
    if (runDialog(dialog) != QDialog::Accepted)
        return; // the font stays as it was
    Font font;
    if (!Kernwick::importBdf(text, scan, dialog.choice(), &font, &error)) {
        showMessage(m_window, {QStringLiteral("Error"), error, MessageIcon::Warning});
        return;
    }
    m_document.importFont(std::move(font));
}

void FileController::importImage()
{
    // Cancel at the save prompt stops the import: the unsaved font is not replaced.
    if (!maybeSave())
        return;
    const QString path =
        chooseFile(m_window, FileRequest::open(QStringLiteral("Import Image"), GraphicFiles));
    if (path.isEmpty())
        return;
    LoadedImage picture;
    QString error;
    if (loadImageFile(path, &picture, &error) != ImageLoad::Ok) {
        showMessage(m_window,
                    {QString::fromLatin1(ImageErrorCaption), error, MessageIcon::Critical});
        return;
    }
    ImageImport imported;
    if (picture.bilevel) {
        imported = Kernwick::importImage(m_document.font(), picture, {});
    } else {
        ThresholdDialog dialog(picture.image, m_window, m_lastThreshold);
        if (runDialog(dialog) != QDialog::Accepted)
            return; // the font stays as it was
        m_lastThreshold = dialog.choice();
        imported =
            importThresholdedImage(m_document.font(), dialog.modifiedImage(), dialog.threeColour());
    }
    // No file name (Save asks for one), modified, the view back at code 32.
    m_document.importFont(std::move(imported.font));
}

void FileController::concatenate()
{
    const QStringList inputs =
        chooseFiles(m_window, FileRequest::openMany(QStringLiteral("Concatenate Fonts"), AllFiles));
    if (inputs.isEmpty())
        return;
    const QString output =
        chooseFile(m_window, FileRequest::save(QStringLiteral("Joined Font File"), AllFiles,
                                               QStringLiteral("zvf")));
    if (output.isEmpty())
        return;
    QByteArray joined;
    QString error;
    if (!concatenateFonts(inputs, &joined, &error) || !saveFileAtomically(output, joined, &error))
        showMessage(m_window, {QStringLiteral("File Error"), error, MessageIcon::Critical});
}

void FileController::importTypeface()
{
    if (!maybeSave())
        return;
    TypefaceDialog dialog(m_window);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    Font font;
    QString error;
    bool imported = false;
    {
        // Rendering thousands of characters takes a moment; the pointer says so.
        const BusyCursor busy;
        imported = Kernwick::importTypeface(dialog.typeface(), dialog.choice(), &font, &error);
    }
    if (!imported) {
        showWarning(m_window, error);
        return;
    }
    m_document.importFont(std::move(font));
}

void FileController::importSheet()
{
    if (!maybeSave())
        return;
    const QString path =
        chooseFile(m_window, FileRequest::open(QStringLiteral("Import Glyph Sheet"), SheetFiles));
    if (path.isEmpty())
        return;
    Font font;
    QString error;
    if (!loadGlyphSheetFile(path, &font, &error)) {
        showWarning(m_window, QStringLiteral("%1\n%2").arg(path, error));
        return;
    }
    m_document.importFont(std::move(font));
}

QString FileController::exportSuggestion(const QString &suffix) const
{
    const QFileInfo font(m_document.filePath());
    return m_document.filePath().isEmpty()
               ? m_document.title() + QLatin1Char('.') + suffix
               : font.dir().filePath(font.completeBaseName() + QLatin1Char('.') + suffix);
}

void FileController::exportSheet()
{
    FileRequest request =
        FileRequest::save(QStringLiteral("Export Glyph Sheet"), SheetFiles, QStringLiteral("png"));
    request.suggestion = exportSuggestion(QStringLiteral("png"));
    const QString path = chooseFile(m_window, request);
    if (path.isEmpty())
        return;
    const auto write = [this](QIODevice *device, QString *message) {
        return writeGlyphSheet(m_document.font(), device, message);
    };
    QString error;
    if (!saveFileAtomically(path, write, &error))
        showWarning(m_window, QStringLiteral("%1\n%2").arg(path, error));
}

void FileController::exportBdf()
{
    FileRequest request =
        FileRequest::save(QStringLiteral("Export BDF Font"), BdfFiles, QStringLiteral("bdf"));
    request.suggestion = exportSuggestion(QStringLiteral("bdf"));
    const QString path = chooseFile(m_window, request);
    if (path.isEmpty())
        return;
    const BdfExport exported = Kernwick::exportBdf(m_document.font());
    if (exported.leftOutPixels > 0)
        showMessage(m_window,
                    {appTitle(), bdfLeftOutNote(exported.leftOutPixels), MessageIcon::Information});
    QString error;
    if (!saveFileAtomically(path, exported.text, &error))
        showWarning(m_window, QStringLiteral("%1\n%2").arg(path, error));
}

void FileController::exportC()
{
    const QString path = QDir::current().filePath(QStringLiteral("font.c"));
    QString error;
    if (!saveFileAtomically(path, exportCSource(m_document.font()), &error))
        showMessage(m_window, {appTitle(), error, MessageIcon::Critical});
}

} // namespace Kernwick
