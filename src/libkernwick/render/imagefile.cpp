#include "libkernwick/render/imagefile.h"

#include "libkernwick/font/font.h"
#include "libkernwick/io/savefile.h"
#include "libkernwick/render/imagereading.h"
#include "libkernwick/render/pictureformats.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <tiffio.h>

#include <array>
#include <cstring>

namespace Kernwick {

namespace {

// The most memory a reader may allocate for one picture: a 255 × 255 picture of
// 16 bits per channel with alpha, the deepest any of them decodes into.
constexpr qint64 DecodeBudget = qint64(MaxGlyphSide) * MaxGlyphSide * 8;

// The brightness of a colour (Rec. 709 weights, rounded), the same for a
// true-colour picture and its palette twin.
std::uint8_t brightness(QRgb colour)
{
    return std::uint8_t(0.2126f * float(qRed(colour)) + 0.7152f * float(qGreen(colour)) +
                        0.0722f * float(qBlue(colour)) + 0.5f);
}

// Qt's TIFF reader leaves libtiff's own handlers in place, which print a note on
// standard error for, among others, every EXIF tag libtiff does not know. A TIFF
// that fails still fails to load.
void quietenTiffNotes()
{
    static const bool quiet = [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
        return true;
    }();
    Q_UNUSED(quiet);
}

ImageLoad checkSize(qint64 width, qint64 height, QString *error)
{
    if (width > MaxGlyphSide) {
        *error = QString::fromLatin1(ImageTooWide);
        return ImageLoad::TooWide;
    }
    if (height > MaxGlyphSide) {
        *error = QString::fromLatin1(ImageTooHigh);
        return ImageLoad::TooHigh;
    }
    if (width < 1 || height < 1) {
        *error = QString::fromLatin1(ImageUnreadable);
        return ImageLoad::Unreadable;
    }
    return ImageLoad::Ok;
}

// A 1-bit picture as it is: the brighter of its two colours is 255, the other 0
// (with two equally bright colours, index 1 is the bright one).
GreyImage bilevelLevels(const QImage &picture)
{
    QList<QRgb> table = picture.colorTable();
    if (table.size() < 2)
        table = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    const int brightIndex = brightness(table[0]) > brightness(table[1]) ? 0 : 1;
    const bool lsbFirst = picture.format() == QImage::Format_MonoLSB;
    GreyImage image = GreyImage::filled(picture.width(), picture.height());
    for (int r = 0; r < image.height; ++r) {
        const uchar *bits = picture.constScanLine(r);
        for (int c = 0; c < image.width; ++c) {
            const int shift = lsbFirst ? c % 8 : 7 - c % 8;
            const int index = (bits[c / 8] >> shift) & 1;
            image.setLevel(r, c, index == brightIndex ? 255 : 0);
        }
    }
    return image;
}

// An 8-bit picture's levels: its indices seen through its palette, by brightness.
GreyImage paletteLevels(const QImage &picture)
{
    std::array<std::uint8_t, 256> levelOf{};
    const QList<QRgb> table = picture.colorTable();
    for (int i = 0; i < 256; ++i)
        levelOf[std::size_t(i)] = i < table.size() ? brightness(table[i]) : std::uint8_t(i);
    GreyImage image = GreyImage::filled(picture.width(), picture.height());
    for (int r = 0; r < image.height; ++r) {
        const uchar *indices = picture.constScanLine(r);
        for (int c = 0; c < image.width; ++c)
            image.setLevel(r, c, levelOf[indices[c]]);
    }
    return image;
}

// Every other picture reduced to 8-bit grey: grey levels as they are (the high
// byte of 16-bit ones), colours by brightness. Alpha plays no part.
GreyImage greyLevels(const QImage &picture)
{
    GreyImage image = GreyImage::filled(picture.width(), picture.height());
    if (picture.format() == QImage::Format_Grayscale8) {
        for (int r = 0; r < image.height; ++r)
            std::memcpy(image.levels.data() + std::size_t(r) * std::size_t(image.width),
                        picture.constScanLine(r), std::size_t(image.width));
        return image;
    }
    if (picture.format() == QImage::Format_Grayscale16) {
        for (int r = 0; r < image.height; ++r) {
            const auto *in = reinterpret_cast<const quint16 *>(picture.constScanLine(r));
            for (int c = 0; c < image.width; ++c)
                image.setLevel(r, c, std::uint8_t(in[c] >> 8));
        }
        return image;
    }
    const QImage colours = picture.convertToFormat(QImage::Format_ARGB32);
    for (int r = 0; r < image.height; ++r) {
        const auto *in = reinterpret_cast<const QRgb *>(colours.constScanLine(r));
        for (int c = 0; c < image.width; ++c)
            image.setLevel(r, c, brightness(in[c]));
    }
    return image;
}

ImageLoad take(const QImage &picture, LoadedImage *image, QString *error)
{
    if (picture.isNull())
        return ImageLoad::Unreadable;
    const ImageLoad outcome = checkSize(picture.width(), picture.height(), error);
    if (outcome != ImageLoad::Ok)
        return outcome;
    LoadedImage loaded;
    switch (picture.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        loaded.bilevel = true;
        loaded.image = bilevelLevels(picture);
        break;
    case QImage::Format_Indexed8:
        loaded.image = paletteLevels(picture);
        break;
    default:
        loaded.image = greyLevels(picture);
        break;
    }
    *image = std::move(loaded);
    error->clear();
    return ImageLoad::Ok;
}

} // namespace

ImageLoad loadImageData(QByteArrayView bytes, LoadedImage *image, QString *error)
{
    quietenTiffNotes();
    *error = QString::fromLatin1(ImageUnreadable);
    const PictureFormat format = recognisePicture(bytes);
    switch (format.reader) {
    case PictureFormat::Reader::None:
        return ImageLoad::Unreadable;
    case PictureFormat::Reader::SizeOnly: {
        const ImageLoad outcome = checkSize(format.width, format.height, error);
        return outcome == ImageLoad::Ok ? ImageLoad::Unreadable : outcome;
    }
    case PictureFormat::Reader::Qt:
        if (format.width > 0 || format.height > 0) {
            const ImageLoad outcome = checkSize(format.width, format.height, error);
            if (outcome != ImageLoad::Ok)
                return outcome;
        }
        break;
    }

    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    // Qt's TGA reader takes only files with the TGA 2.0 footer, which most
    // writers leave out; the pixels are the same without it.
    const QByteArrayView tgaFooter("\0\0\0\0\0\0\0\0TRUEVISION-XFILE.\0", 26);
    if (format.name == "tga" && !bytes.endsWith(tgaFooter))
        data = bytes.toByteArray() + tgaFooter.toByteArray();
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly) || !pngChunksFit(&buffer))
        return ImageLoad::Unreadable;
    QImageReader reader(&buffer, format.name);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return ImageLoad::Unreadable;
    if (const QSize size = reader.size(); size.isValid()) {
        const ImageLoad outcome = checkSize(size.width(), size.height(), error);
        if (outcome != ImageLoad::Ok)
            return outcome;
    }
    const ImageAllocationLimit limit(DecodeBudget);
    return take(reader.read(), image, error);
}

ImageLoad loadImageFile(const QString &path, LoadedImage *image, QString *error)
{
    QByteArray bytes;
    if (!readWholeFile(path, MaxImageFileBytes, &bytes, error))
        return ImageLoad::ReadFailed;
    return loadImageData(bytes, image, error);
}

bool saveGreyImageFile(const QString &path, const GreyImage &image, QString *error)
{
    quietenTiffNotes();
    *error = QString::fromLatin1(ImageFormatNotWritable);
    const QByteArray format = QFileInfo(path).suffix().toLower().toLatin1();
    if (format.isEmpty() || !QImageWriter::supportedImageFormats().contains(format) ||
        image.width < 1 || image.height < 1)
        return false;
    QImage picture(image.width, image.height, QImage::Format_Grayscale8);
    for (int r = 0; r < image.height; ++r)
        std::memcpy(picture.scanLine(r),
                    image.levels.data() + std::size_t(r) * std::size_t(image.width),
                    std::size_t(image.width));
    const auto write = [&picture, &format](QIODevice *device, QString *message) {
        QImageWriter writer(device, format);
        if (writer.write(picture))
            return true;
        *message = writer.errorString();
        return false;
    };
    return saveFileAtomically(path, write, error);
}

} // namespace Kernwick
