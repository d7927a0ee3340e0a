#pragma once

#include <QtGlobal>

class QIODevice;

namespace Kernwick {

/// Whether the chunks of a PNG picture on `device` stay inside it: every chunk up
/// to "IEND" has a length of at most 2^31 - 1 that ends within the device's data.
/// The PNG library allocates what a chunk's length claims before it reads the
/// chunk, so a few bytes that claim gigabytes would cost that memory before the
/// picture is found damaged. Anything that is not a PNG passes. The device must
/// be open for random access (a sequential device fails); its position is left
/// where it was.
bool pngChunksFit(QIODevice *device);

/// Sets the memory Qt's picture readers may allocate for one picture while it
/// lives, and restores the limit before it on destruction. Readers refuse a
/// picture that needs more; Qt counts at least 4 bytes for every pixel.
class ImageAllocationLimit
{
public:
    explicit ImageAllocationLimit(qint64 bytes);
    ~ImageAllocationLimit();
    ImageAllocationLimit(const ImageAllocationLimit &) = delete;
    ImageAllocationLimit &operator=(const ImageAllocationLimit &) = delete;

private:
    int m_before;
};

} // namespace Kernwick
