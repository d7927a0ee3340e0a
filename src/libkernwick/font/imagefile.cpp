#include "libkernwick/font/imagefile.h"

#include "libkernwick/font/font.h"
#include "libkernwick/io/savefile.h"

#include <FreeImagePlus.h>

#include <QFile>

#include <tiffio.h>

#include <algorithm>
#include <array>
#include <limits>

namespace Kernwick {

namespace {

// The brightness of a colour, rounded as FreeImage's own conversion to grey
// rounds it, so a true-colour picture and its palette twin get the same levels.
std::uint8_t brightness(const RGBQUAD &colour)
{
    return std::uint8_t(0.2126f * colour.rgbRed + 0.7152f * colour.rgbGreen +
                        0.0722f * colour.rgbBlue + 0.5f);
}

// FreeImage reads TIFF files through the system's libtiff without handlers of its
// own, so libtiff would print a note on standard error for, among others, every
// EXIF tag it does not know. A TIFF that fails still fails to load.
void quietenTiffNotes()
{
    static const bool quiet = [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
        return true;
    }();
    Q_UNUSED(quiet);
}

// A FreeImage memory stream reading `bytes` in place.
class ByteStream
{
public:
    explicit ByteStream(QByteArrayView bytes)
        : m_memory(reinterpret_cast<BYTE *>(const_cast<char *>(bytes.data())), DWORD(bytes.size()))
    {
    }

    fipMemoryIO &memory() { return m_memory; }

private:
    fipMemoryIO m_memory;
};

bool loadWith(QByteArrayView bytes, FREE_IMAGE_FORMAT format, int flags, fipImage *image)
{
    ByteStream stream(bytes);
    return image->loadFromMemory(format, stream.memory(), flags) && image->isValid();
}

FREE_IMAGE_FORMAT recogniseFormat(QByteArrayView bytes, const QString &fileName)
{
    ByteStream stream(bytes);
    FREE_IMAGE_FORMAT format = stream.memory().getFileType();
    if (format == FIF_UNKNOWN && !fileName.isEmpty())
        format = FreeImage_GetFIFFromFilename(QFile::encodeName(fileName).constData());
    if (format != FIF_UNKNOWN && !FreeImage_FIFSupportsReading(format))
        return FIF_UNKNOWN;
    return format;
}

ImageLoad checkSize(unsigned width, unsigned height, QString *error)
{
    if (width > unsigned(MaxGlyphSide)) {
        *error = QString::fromLatin1(ImageTooWide);
        return ImageLoad::TooWide;
    }
    if (height > unsigned(MaxGlyphSide)) {
        *error = QString::fromLatin1(ImageTooHigh);
        return ImageLoad::TooHigh;
    }
    if (width == 0 || height == 0) {
        *error = QString::fromLatin1(ImageUnreadable);
        return ImageLoad::Unreadable;
    }
    return ImageLoad::Ok;
}

// FreeImage stores the bottom line first: the picture's row r is scanline height-1-r.
const BYTE *pictureRow(const fipImage &picture, int row)
{
    return picture.getScanLine(picture.getHeight() - 1 - unsigned(row));
}

GreyImage bilevelLevels(const fipImage &picture)
{
    const RGBQUAD *palette = picture.getPalette();
    const int brightIndex = palette && brightness(palette[0]) > brightness(palette[1]) ? 0 : 1;
    GreyImage image = GreyImage::filled(int(picture.getWidth()), int(picture.getHeight()));
    for (int r = 0; r < image.height; ++r) {
        const BYTE *bits = pictureRow(picture, r);
        for (int c = 0; c < image.width; ++c) {
            const int index = (bits[c / 8] >> (7 - c % 8)) & 1;
            image.setLevel(r, c, index == brightIndex ? 255 : 0);
        }
    }
    return image;
}

// Levels of an 8-bit picture: its indices seen through its palette.
GreyImage paletteLevels(const fipImage &picture)
{
    std::array<std::uint8_t, 256> levelOf{};
    const RGBQUAD *palette = picture.getPalette();
    const unsigned colours = palette ? std::min(picture.getColorsUsed(), 256u) : 0;
    for (unsigned i = 0; i < 256; ++i)
        levelOf[i] = i < colours ? brightness(palette[i]) : std::uint8_t(i);
    GreyImage image = GreyImage::filled(int(picture.getWidth()), int(picture.getHeight()));
    for (int r = 0; r < image.height; ++r) {
        const BYTE *indices = pictureRow(picture, r);
        for (int c = 0; c < image.width; ++c)
            image.setLevel(r, c, levelOf[indices[c]]);
    }
    return image;
}

// Reduces a decoded picture of more than one bit per pixel to 8 bits.
bool reduceTo8Bits(fipImage *picture)
{
    const FREE_IMAGE_TYPE type = picture->getImageType();
    if (type != FIT_BITMAP && type != FIT_UINT16 && !picture->convertToType(FIT_BITMAP))
        return false;
    return picture->convertTo8Bits() && picture->getBitsPerPixel() == 8;
}

} // namespace

ImageLoad loadImageData(QByteArrayView bytes, LoadedImage *image, QString *error,
                        const QString &fileName)
{
    quietenTiffNotes();
    *error = QString::fromLatin1(ImageUnreadable);
    if (bytes.isEmpty() || bytes.size() > std::numeric_limits<DWORD>::max())
        return ImageLoad::Unreadable;
    const FREE_IMAGE_FORMAT format = recogniseFormat(bytes, fileName);
    if (format == FIF_UNKNOWN)
        return ImageLoad::Unreadable;

    // The header alone first, so that a claimed size is checked before any
    // memory is spent on pixels. Formats that cannot stop after the header
    // decode everything here already.
    fipImage picture;
    if (!loadWith(bytes, format, FIF_LOAD_NOPIXELS, &picture))
        return ImageLoad::Unreadable;
    ImageLoad outcome = checkSize(picture.getWidth(), picture.getHeight(), error);
    if (outcome != ImageLoad::Ok)
        return outcome;
    if (!FreeImage_HasPixels(picture) && !loadWith(bytes, format, 0, &picture))
        return ImageLoad::Unreadable;
    outcome = checkSize(picture.getWidth(), picture.getHeight(), error);
    if (outcome != ImageLoad::Ok)
        return outcome;

    LoadedImage loaded;
    loaded.bilevel = picture.getImageType() == FIT_BITMAP && picture.getBitsPerPixel() == 1;
    if (loaded.bilevel) {
        loaded.image = bilevelLevels(picture);
    } else {
        if (!reduceTo8Bits(&picture))
            return ImageLoad::Unreadable;
        loaded.image = paletteLevels(picture);
    }
    *image = std::move(loaded);
    error->clear();
    return ImageLoad::Ok;
}

ImageLoad loadImageFile(const QString &path, LoadedImage *image, QString *error)
{
    QByteArray bytes;
    if (!readWholeFile(path, MaxImageFileBytes, &bytes, error))
        return ImageLoad::ReadFailed;
    return loadImageData(bytes, image, error, path);
}

bool saveGreyImageFile(const QString &path, const GreyImage &image, QString *error)
{
    quietenTiffNotes();
    *error = QString::fromLatin1(ImageFormatNotWritable);
    const FREE_IMAGE_FORMAT format =
        FreeImage_GetFIFFromFilename(QFile::encodeName(path).constData());
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsWriting(format) || image.width < 1 ||
        image.height < 1)
        return false;

    fipImage picture;
    if (!picture.setSize(FIT_BITMAP, unsigned(image.width), unsigned(image.height), 8))
        return false;
    RGBQUAD *palette = picture.getPalette();
    for (int i = 0; i < 256; ++i)
        palette[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    for (int r = 0; r < image.height; ++r) {
        BYTE *line = picture.getScanLine(unsigned(image.height - 1 - r));
        std::copy_n(image.levels.begin() + std::ptrdiff_t(r) * image.width, image.width, line);
    }
    if (!FreeImage_FIFSupportsExportBPP(format, 8) &&
        !(FreeImage_FIFSupportsExportBPP(format, 24) && picture.convertTo24Bits()))
        return false;

    fipMemoryIO memory;
    if (!picture.saveToMemory(format, memory))
        return false;
    BYTE *data = nullptr;
    DWORD size = 0;
    if (!memory.acquire(&data, &size))
        return false;
    return saveFileAtomically(
        path, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), error);
}

} // namespace Kernwick
