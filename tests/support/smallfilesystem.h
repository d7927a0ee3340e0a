#pragma once

// A tiny file system of its own (a tmpfs of a few KiB) for tests of what a save
// does when the disk is full. Mounting needs root; elsewhere the test is skipped.

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <unistd.h>

namespace Kernwick::Test {

class SmallFileSystem
{
public:
    explicit SmallFileSystem(int kibibytes)
    {
        const QByteArray options = "size=" + QByteArray::number(kibibytes) + "k";
        m_mounted = ::geteuid() == 0 && m_dir.isValid() &&
                    ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                            options.constData()) == 0;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;

    /// False where a file system cannot be mounted (not root, or no permission).
    bool isMounted() const { return m_mounted; }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    /// Fills what room is left with a file named "filler", so the next byte written fails.
    void fill() const
    {
        QFile filler(path(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(4096, 'f');
        while (filler.write(block) > 0) {
        }
    }
    /// The names in the file system, hidden ones included.
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace Kernwick::Test
