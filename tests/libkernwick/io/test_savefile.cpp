#include "libkernwick/io/savefile.h"
#include "filestatus.h"

#include "folderfixture.h"
#include "otheruser.h"
#include "smallfilesystem.h"

#include <QDir>
#include <QIODevice>

#include <sys/stat.h>
#include <unistd.h>

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

bool hardLink(const QString &existing, const QString &name)
{
    return ::link(QFile::encodeName(existing).constData(), QFile::encodeName(name).constData()) ==
           0;
}

bool save(const QString &path, const QByteArray &bytes)
{
    QString error;
    const bool saved = saveFileAtomically(path, bytes, &error);
    EXPECT_TRUE(saved) << error.toStdString();
    return saved;
}

class SaveFileTest : public FolderTest
{
protected:
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
};

TEST_F(SaveFileTest, ANewFileGetsTheUsualModeAndNoTemporaryIsLeft)
{
    ASSERT_TRUE(save(path("new.zvf"), "abc"));
    EXPECT_EQ(read("new.zvf"), "abc");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(statOf(path("new.zvf")).st_mode & 07777, 0666 & ~mask);
    EXPECT_EQ(entries(), QStringList{"new.zvf"});
}

TEST_F(SaveFileTest, AFileOwnedByAnotherUserKeepsItsOwnerAndMode)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    const QString file = write("theirs.zvf", "old");
    ASSERT_EQ(::chown(QFile::encodeName(file).constData(), OtherUser, OtherGroup), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0600), 0);

    ASSERT_TRUE(save(file, "new bytes"));
    const struct stat after = statOf(file);
    EXPECT_EQ(after.st_uid, OtherUser);
    EXPECT_EQ(after.st_gid, OtherGroup);
    EXPECT_EQ(after.st_mode & 07777, 0600);
    EXPECT_EQ(read("theirs.zvf"), "new bytes");
}

TEST_F(SaveFileTest, EveryHardLinkShowsTheNewBytes)
{
    const QString file = write("a.zvf", "old contents that are longer");
    ASSERT_TRUE(hardLink(file, path("b.zvf")));
    const ino_t inode = statOf(file).st_ino;

    ASSERT_TRUE(save(file, "new"));
    EXPECT_EQ(read("a.zvf"), "new");
    EXPECT_EQ(read("b.zvf"), "new");
    EXPECT_EQ(statOf(file).st_ino, inode);
    EXPECT_EQ(statOf(file).st_nlink, 2u);
}

TEST_F(SaveFileTest, ASymbolicLinkStaysALinkToTheSavedFile)
{
    write("target.zvf", "old");
    ASSERT_TRUE(QFile::link(path("target.zvf"), path("link.zvf")));
    ASSERT_TRUE(save(path("link.zvf"), "new"));
    EXPECT_TRUE(QFileInfo(path("link.zvf")).isSymLink());
    EXPECT_EQ(read("target.zvf"), "new");
}

TEST_F(SaveFileTest, AWritableFileInAFolderClosedToWritingSaves)
{
    // The ordinary user owns both; the folder lets nobody add a file.
    const QString folder = path("closed");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString file = write("closed/f.zvf", "old");
    if (::geteuid() == 0) {
        ASSERT_EQ(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
        ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), OtherUser, OtherGroup), 0);
        ASSERT_EQ(::chown(QFile::encodeName(file).constData(), OtherUser, OtherGroup), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);

    EXPECT_TRUE(runAsOrdinaryUser([&] {
        QString error;
        return saveFileAtomically(file, QByteArray("new"), &error);
    }));
    EXPECT_EQ(read("closed/f.zvf"), "new");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"f.zvf"});
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}

TEST_F(SaveFileTest, AFailedWriterLeavesTheOldFileWhole)
{
    // Once renamed into place, once in place (a second link forces that).
    for (const bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "in place" : "renamed");
        const QString file = write("f.zvf", "old");
        if (linked) {
            ASSERT_TRUE(hardLink(file, path("g.zvf")));
        }
        QString error;
        EXPECT_FALSE(saveFileAtomically(
            file,
            [](QIODevice *device, QString *error) {
                device->write("half of a new fi");
                *error = "the writer gave up";
                return false;
            },
            &error));
        EXPECT_EQ(error, "the writer gave up");
        EXPECT_EQ(read("f.zvf"), "old");
        QFile::remove(path("g.zvf"));
        EXPECT_EQ(entries(), QStringList{"f.zvf"});
    }
}

TEST(SaveFileOnAFullDisk, SaysSoAndLeavesTheOldFileWhole)
{
    for (const bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "in place" : "renamed");
        SmallFileSystem disk(64);
        if (!disk.isMounted())
            GTEST_SKIP() << "cannot mount a small file system here (needs root)";
        const QString file = disk.path("f.zvf");
        const QByteArray old(1000, 'o');
        {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(old);
        }
        if (linked) {
            ASSERT_TRUE(hardLink(file, disk.path("g.zvf")));
        }

        QString error;
        EXPECT_FALSE(saveFileAtomically(file, QByteArray(200 * 1024, 'n'), &error));
        EXPECT_EQ(error, DiskFull);
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), old);
        EXPECT_EQ(disk.entries().size(), linked ? 2 : 1) << disk.entries().join(' ').toStdString();
    }
}

} // namespace
