#include "libkernwick/io/savefile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Kernwick {

namespace {

// The text for a failed system call: the full disk in the words users know.
QString systemError(int code)
{
    if (code == ENOSPC || code == EDQUOT)
        return QString::fromLatin1(DiskFull);
    return qt_error_string(code);
}

// An open descriptor that closes itself; a temporary file is also removed
// unless it was renamed into place.
class Descriptor
{
public:
    explicit Descriptor(int fd, QByteArray unlinkPath = {})
        : m_fd(fd), m_unlinkPath(std::move(unlinkPath))
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_unlinkPath.isEmpty())
            ::unlink(m_unlinkPath.constData());
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int fd() const { return m_fd; }
    void keepFile() { m_unlinkPath.clear(); }
    /// Closes now, as a failed close can be the first sign of a full disk.
    bool close()
    {
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0;
    }

private:
    int m_fd;
    QByteArray m_unlinkPath;
};

bool fail(QString *error, int code = errno)
{
    *error = systemError(code);
    return false;
}

// The file a save writes: a symbolic link's final target, so the link stays a link.
QString targetOf(const QString &path)
{
    QFileInfo info(path);
    for (int hops = 0; info.isSymLink() && hops < 40; ++hops)
        info.setFile(info.symLinkTarget());
    return info.absoluteFilePath();
}

// Whether the new file, once renamed over the old one, would be the same file
// to everyone who used the old one: its owner, group and mode set on it, and no
// other name for the old one left behind with the old bytes.
bool takeOverOwnership(int fd, const struct stat &old)
{
    if (old.st_nlink > 1)
        return false;
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

// A writer that fills a device with the file's bytes.
using Writer = std::function<bool(QIODevice *device, QString *error)>;

// A device over an open file that keeps the system's error code of a failed
// write, so a full disk can be told from any other failure. It seeks, as
// writers of formats with offsets in their headers (TIFF) need.
class FileDescriptorDevice : public QIODevice
{
public:
    explicit FileDescriptorDevice(int fd) : m_fd(fd)
    {
        open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    }
    int failure() const { return m_failure; }

    bool isSequential() const override { return false; }
    qint64 size() const override
    {
        struct stat info = {};
        return ::fstat(m_fd, &info) == 0 ? qint64(info.st_size) : 0;
    }
    bool seek(qint64 position) override
    {
        return ::lseek(m_fd, off_t(position), SEEK_SET) == off_t(position) &&
               QIODevice::seek(position);
    }

protected:
    qint64 readData(char *data, qint64 size) override
    {
        const ssize_t n = ::read(m_fd, data, size_t(size));
        return n < 0 ? -1 : qint64(n);
    }
    qint64 writeData(const char *data, qint64 size) override
    {
        qint64 done = 0;
        while (done < size) {
            const ssize_t n = ::write(m_fd, data + done, size_t(size - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                m_failure = n < 0 ? errno : ENOSPC;
                setErrorString(systemError(m_failure));
                return -1;
            }
            done += n;
        }
        return done;
    }

private:
    int m_fd;
    int m_failure = 0;
};

// Runs `write` on a file already open as `fd`.
bool writeThrough(int fd, const Writer &write, QString *error)
{
    FileDescriptorDevice device(fd);
    const bool written = write(&device, error);
    if (device.failure() != 0)
        return fail(error, device.failure()); // the cause of whatever the writer said
    return written;
}

// Writes the new file beside the old one and renames it into place. Returns false
// with `*tryInPlace` set, before anything is written, when the old file's owner
// or links could not be kept that way.
bool replaceAtomically(const QString &target, const struct stat *old, const Writer &write,
                       bool *tryInPlace, QString *error)
{
    const QFileInfo info(target);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    QByteArray temporary =
        QFile::encodeName(info.absoluteDir().filePath(QLatin1Char('.') + info.fileName())) +
        ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        *tryInPlace = old != nullptr; // a folder closed to new files may hold a writable file
        return fail(error);
    }
    Descriptor file(fd, temporary);
    if (old) {
        if (!takeOverOwnership(fd, *old)) {
            *tryInPlace = true;
            return false;
        }
    } else {
        // A new file gets the mode any program would give it.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(fd, 0666 & ~mask) != 0)
            return fail(error);
    }
    if (!writeThrough(fd, write, error))
        return false;
    if (::fsync(fd) != 0 || !file.close())
        return fail(error);
    if (::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0)
        return fail(error);
    file.keepFile();
    // Make the rename itself durable; a folder that cannot be synced is no failure.
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

// Overwrites the old file itself, keeping everything about it but its bytes.
// The bytes are made in memory first, and room for them is claimed before the
// first old byte changes, so a failed writer or a full disk leaves the old file whole.
bool overwriteInPlace(const QString &target, const struct stat &old, const Writer &write,
                      QString *error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!write(&buffer, error))
        return false;
    Descriptor file(::open(QFile::encodeName(target).constData(), O_WRONLY | O_CLOEXEC));
    if (file.fd() < 0)
        return fail(error);
    if (bytes.size() > old.st_size) {
        const int code = ::posix_fallocate(file.fd(), 0, bytes.size());
        if (code == ENOSPC || code == EDQUOT || code == EFBIG)
            return fail(error, code);
    }
    FileDescriptorDevice device(file.fd());
    if (device.write(bytes) != bytes.size())
        return fail(error, device.failure());
    if (::ftruncate(file.fd(), bytes.size()) != 0 || ::fsync(file.fd()) != 0 || !file.close())
        return fail(error);
    return true;
}

} // namespace

bool saveFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    return saveFileAtomically(
        path,
        [&bytes](QIODevice *device, QString *error) {
            if (device->write(bytes) == bytes.size())
                return true;
            *error = device->errorString();
            return false;
        },
        error);
}

bool saveFileAtomically(const QString &path, const Writer &write, QString *error)
{
    const QString target = targetOf(path);
    struct stat old = {};
    const bool exists = ::stat(QFile::encodeName(target).constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        *error = QString::fromLatin1(NotARegularFile);
        return false;
    }
    bool inPlace = false;
    if (replaceAtomically(target, exists ? &old : nullptr, write, &inPlace, error))
        return true;
    return inPlace && overwriteInPlace(target, old, write, error);
}

bool openRegularFile(QFile *file, QString *error)
{
    // Opening a FIFO waits for a writer, and a device may never end: look first.
    const QFileInfo info(file->fileName());
    if (info.exists() && !info.isFile()) {
        *error = QString::fromLatin1(NotARegularFile);
        return false;
    }
    if (!file->open(QIODevice::ReadOnly)) {
        *error = file->errorString();
        return false;
    }
    return true;
}

bool readWholeFile(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!openRegularFile(&file, error))
        return false;
    if (file.size() > maxBytes) {
        *error = QStringLiteral("the file is larger than %1 bytes").arg(maxBytes);
        return false;
    }
    // Read in pieces up to one byte past the limit: a file that grows, or a device
    // that does not report its size, is still caught without a huge allocation.
    bytes->clear();
    while (bytes->size() <= maxBytes) {
        const QByteArray piece = file.read(std::min<qint64>(1 << 16, maxBytes + 1 - bytes->size()));
        if (piece.isEmpty())
            break;
        *bytes += piece;
    }
    if (bytes->size() > maxBytes) {
        *error = QStringLiteral("the file is larger than %1 bytes").arg(maxBytes);
        return false;
    }
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace Kernwick
