// kernwick-cli output files: saved as the desktop program saves, keeping the
// old file's owner, mode and links, and whole on a full disk.

#include "clirun.h"
#include "filestatus.h"
#include "folderfixture.h"
#include "otheruser.h"
#include "smallfilesystem.h"

#include "libkernwick/io/savefile.h"

#include <QDir>

#include <sys/stat.h>

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

class CliSave : public FolderTest
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(runCli({"default", "-o", path("in.zvf")}).exitCode, 0);
        ASSERT_EQ(runCli({"transform", path("in.zvf"), "-o", path("expected.zvf"), "x2"}).exitCode,
                  0);
        m_expected = read("expected.zvf");
        ASSERT_FALSE(m_expected.isEmpty());
    }

    CliResult transformInto(const QString &output)
    {
        return runCli({"transform", path("in.zvf"), "-o", output, "x2"});
    }

    QByteArray m_expected;
};

TEST_F(CliSave, KeepsTheOwnerModeAndLinksOfTheFileItReplaces)
{
    const QString out = write("out.zvf", "old");
    ASSERT_EQ(
        ::link(QFile::encodeName(out).constData(), QFile::encodeName(path("link.zvf")).constData()),
        0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(QFile::encodeName(out).constData(), OtherUser, OtherGroup), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(out).constData(), 0640), 0);

    const CliResult result = transformInto(out);
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(read("out.zvf"), m_expected);
    EXPECT_EQ(read("link.zvf"), m_expected);
    const struct stat after = statOf(out);
    EXPECT_EQ(after.st_mode & 07777, 0640);
    if (root) {
        EXPECT_EQ(after.st_uid, OtherUser);
        EXPECT_EQ(after.st_gid, OtherGroup);
    }
}

TEST_F(CliSave, WritesAWritableFileInAFolderClosedToWriting)
{
    const QString folder = path("closed");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString out = write("closed/out.zvf", "old");
    QStringList command = {QStringLiteral(KERNWICK_CLI)};
    if (::geteuid() == 0) {
        // Root is above folder permissions: run the CLI as the folder's ordinary owner.
        ASSERT_EQ(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(path("in.zvf")).constData(), 0644), 0);
        ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), OtherUser, OtherGroup), 0);
        ASSERT_EQ(::chown(QFile::encodeName(out).constData(), OtherUser, OtherGroup), 0);
        command = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups"} + command;
        command.prepend("setpriv");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);

    const ProcessResult result =
        runProcess(command.first(),
                   command.mid(1) + QStringList{"transform", path("in.zvf"), "-o", out, "x2"});
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(read("closed/out.zvf"), m_expected);
}

TEST_F(CliSave, SaysTheDiskIsFullAndLeavesTheOldFileWhole)
{
    SmallFileSystem disk(16);
    if (!disk.isMounted())
        GTEST_SKIP() << "cannot mount a small file system here (needs root)";
    const QString out = disk.path("out.zvf");
    QString error;
    ASSERT_TRUE(saveFileAtomically(out, QByteArray("old"), &error)) << error.toStdString();
    disk.fill();

    const CliResult result = transformInto(out);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(QByteArray(DiskFull))) << result.err.constData();
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "old");
    EXPECT_EQ(disk.entries(), (QStringList{"filler", "out.zvf"}));
}

} // namespace
