// The Debian package as CPack builds it from this build tree: its control fields,
// its file list, and the desktop entry, file types and manual pages it installs.
// Without dpkg-deb the tests are skipped.

#include "clirun.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLockFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using Kernwick::Test::ProcessResult;
using Kernwick::Test::runProcess;

namespace {

// One entry of `dpkg-deb --contents`: its type and mode letters, and where a link points.
struct Entry
{
    QString mode;
    QString linkTarget;
};

// The newest modification time of `path` and, for a folder, of everything in it.
QDateTime newestChange(const QString &path)
{
    QDateTime newest = QFileInfo(path).lastModified();
    QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        newest = std::max(newest, it.fileInfo().lastModified());
    }
    return newest;
}

// Everything the package is made from: the programs, the CPack settings and the
// files the install rules take.
QDateTime newestInput()
{
    QDateTime newest;
    for (const char *path :
         {KERNWICK_CLI, ZUVO_SIM, KERNWICK_DESKTOP, KERNWICK_CPACK_CONFIG, KERNWICK_STAGE_DIR,
          KERNWICK_SOURCE_DIR "/packaging", KERNWICK_SOURCE_DIR "/src/kernwick/res/Doc"})
        newest = std::max(newest, newestChange(QString::fromLocal8Bit(path)));
    return newest;
}

class Package : public ::testing::Test
{
protected:
    // Every test of this file runs in a process of its own; the package is built by
    // the first and reused by the others until one of its inputs changes.
    static void SetUpTestSuite()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dpkg-deb")).isEmpty()) {
            skipReason = "dpkg-deb is not installed";
            return;
        }
        const QDir cache(QStringLiteral(KERNWICK_PACKAGE_CACHE));
        cache.mkpath(QStringLiteral("."));
        QLockFile lock(cache.filePath(QStringLiteral("build.lock")));
        lock.setStaleLockTime(0);
        if (!lock.lock()) {
            failure = "cannot lock the package folder";
            return;
        }
        QStringList debs = cache.entryList({QStringLiteral("*.deb")});
        if (debs.size() != 1 ||
            QFileInfo(cache.filePath(debs.front())).lastModified() < newestInput()) {
            for (const QString &old : debs)
                QFile::remove(cache.filePath(old));
            const ProcessResult pack = runProcess(
                QStringLiteral(KERNWICK_CPACK),
                {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                 QStringLiteral(KERNWICK_CPACK_CONFIG), QStringLiteral("-B"), cache.path()},
                {}, 600000);
            debs = cache.entryList({QStringLiteral("*.deb")});
            if (pack.exitCode != 0 || debs.size() != 1) {
                failure = "cpack failed: " + pack.out + pack.err;
                return;
            }
        }
        fileName = debs.front();
        deb = cache.filePath(fileName);
        dir = std::make_unique<QTemporaryDir>();
        root = dir->filePath(QStringLiteral("root"));
        if (runProcess(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, root}).exitCode != 0)
            failure = "dpkg-deb -x failed";
    }
    static void TearDownTestSuite() { dir.reset(); }

    void SetUp() override
    {
        if (!skipReason.isEmpty())
            GTEST_SKIP() << skipReason.toStdString();
        ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
    }

    static QString field(const QString &name)
    {
        return QString::fromUtf8(
                   runProcess(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb, name})
                       .out)
            .trimmed();
    }

    static QMap<QString, Entry> contents()
    {
        // "drwxr-xr-x root/root 0 2026-01-01 12:00 ./usr/bin/" and "... ./a -> b".
        static const QRegularExpression line(
            QStringLiteral(R"(^(\S+)\s+\S+\s+\d+\s+\S+\s+\S+\s+\./(.*?)(?: -> (.*))?$)"));
        QMap<QString, Entry> entries;
        const QString listing = QString::fromUtf8(
            runProcess(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), deb}).out);
        for (const QString &text : listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch m = line.match(text);
            EXPECT_TRUE(m.hasMatch()) << text.toStdString();
            QString path = m.captured(2);
            if (path.endsWith(QLatin1Char('/')))
                path.chop(1);
            entries.insert(path, {m.captured(1), m.captured(3)});
        }
        return entries;
    }

    static QByteArray installedFile(const QString &path)
    {
        QFile file(root + QLatin1Char('/') + path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static inline std::unique_ptr<QTemporaryDir> dir;
    static inline QString skipReason;
    static inline QString failure;
    static inline QString fileName;
    static inline QString deb;
    static inline QString root;
};

TEST_F(Package, IsNamedByPackageVersionAndArchitecture)
{
    const QString arch = QString::fromUtf8(
        runProcess(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")}).out.trimmed());
    EXPECT_EQ(fileName, QStringLiteral("kernwick_" KERNWICK_VERSION "_%1.deb").arg(arch));
    EXPECT_EQ(field(QStringLiteral("Architecture")), arch);
}

TEST_F(Package, ControlFieldsNameTheProgramsAndTheirMaintainer)
{
    EXPECT_EQ(field(QStringLiteral("Package")), QStringLiteral("kernwick"));
    EXPECT_EQ(field(QStringLiteral("Version")), QStringLiteral(KERNWICK_VERSION));
    EXPECT_EQ(field(QStringLiteral("Section")), QStringLiteral("electronics"));
    EXPECT_EQ(field(QStringLiteral("Priority")), QStringLiteral("optional"));
    EXPECT_TRUE(field(QStringLiteral("Maintainer"))
                    .contains(QRegularExpression(QStringLiteral("^.+ <.+@.+>$"))));
    const QStringList description = field(QStringLiteral("Description")).split(QLatin1Char('\n'));
    ASSERT_GE(description.size(), 2);
    EXPECT_TRUE(description[0].contains(QStringLiteral("ZUVO")));
    EXPECT_TRUE(field(QStringLiteral("Recommends")).contains(QStringLiteral("xdg-utils")));
    EXPECT_GT(field(QStringLiteral("Installed-Size")).toInt(), 0);
}

TEST_F(Package, DependsOnTheVersionedLibrariesItLinks)
{
    // dpkg-shlibdeps names each library package with the lowest version that has
    // every symbol the programs use.
    QMap<QString, QString> depends;
    for (const QString &item : field(QStringLiteral("Depends")).split(QLatin1Char(','))) {
        const QString d = item.trimmed();
        depends.insert(d.section(QLatin1Char(' '), 0, 0), d.section(QLatin1Char(' '), 1));
    }
    for (const char *library :
         {"libc6", "libstdc++6", "libqt6core6", "libqt6widgets6", "libqt6serialport6"}) {
        const QString name = QString::fromLatin1(library);
        ASSERT_TRUE(depends.contains(name)) << library;
        EXPECT_TRUE(depends[name].startsWith(QStringLiteral("(>= "))) << library;
    }
    // Only what the programs link: no tool of the build.
    for (const QString &name : depends.keys())
        EXPECT_FALSE(name.contains(QStringLiteral("gtest")) ||
                     name.contains(QStringLiteral("benchmark")) ||
                     name.endsWith(QStringLiteral("-dev")))
            << name.toStdString();
}

TEST_F(Package, HoldsExactlyTheProgramsAndTheirFiles)
{
    // Regular files and links; the help pages are checked on their own.
    const QMap<QString, QString> expected = {
        {"usr/bin/kernwick-cli", "-rwxr-xr-x"},
        {"usr/bin/zuvo-sim", "-rwxr-xr-x"},
        {"usr/bin/kernwick", "l"},
        {"usr/lib/kernwick/kernwick", "-rwxr-xr-x"},
        {"usr/lib/kernwick/Doc", "l"},
        {"usr/share/applications/kernwick.desktop", "-rw-r--r--"},
        {"usr/share/icons/hicolor/scalable/apps/kernwick.svg", "-rw-r--r--"},
        {"usr/share/mime/packages/kernwick.xml", "-rw-r--r--"},
        {"usr/share/man/man1/kernwick.1.gz", "-rw-r--r--"},
        {"usr/share/man/man1/kernwick-cli.1.gz", "-rw-r--r--"},
        {"usr/share/man/man1/zuvo-sim.1.gz", "-rw-r--r--"},
    };
    const QMap<QString, Entry> entries = contents();
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        ASSERT_TRUE(entries.contains(it.key())) << it.key().toStdString();
        const QString mode = entries[it.key()].mode;
        if (it.value() == QLatin1String("l"))
            EXPECT_TRUE(mode.startsWith(QLatin1Char('l'))) << it.key().toStdString();
        else
            EXPECT_EQ(mode, it.value()) << it.key().toStdString();
    }
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        const bool folder = it.value().mode.startsWith(QLatin1Char('d'));
        const bool helpPage = it.key().startsWith(QStringLiteral("usr/share/kernwick/Doc/"));
        EXPECT_TRUE(folder || helpPage || expected.contains(it.key()))
            << "unexpected file " << it.key().toStdString();
        EXPECT_TRUE(it.key() == QLatin1String("") || it.key().startsWith(QStringLiteral("usr")))
            << it.key().toStdString();
    }
}

TEST_F(Package, DesktopProgramFindsItsHelpPagesBesideIt)
{
    // The program opens Doc/index.htm in its own folder; /usr/bin/kernwick is a link
    // to it, and its Doc a link to the shared data.
    const QMap<QString, Entry> entries = contents();
    EXPECT_EQ(entries.value(QStringLiteral("usr/bin/kernwick")).linkTarget,
              QStringLiteral("../lib/kernwick/kernwick"));
    EXPECT_EQ(entries.value(QStringLiteral("usr/lib/kernwick/Doc")).linkTarget,
              QStringLiteral("../../share/kernwick/Doc"));
    ASSERT_TRUE(QFileInfo(root + QStringLiteral("/usr/lib/kernwick/Doc")).isDir());

    // Every file of the source's help folder is installed, in its own subfolder.
    const QDir source(QStringLiteral(KERNWICK_SOURCE_DIR "/src/kernwick/res/Doc"));
    QDirIterator pages(source.path(), QDir::Files, QDirIterator::Subdirectories);
    while (pages.hasNext()) {
        const QString page = source.relativeFilePath(pages.next());
        EXPECT_TRUE(QFileInfo(root + QStringLiteral("/usr/lib/kernwick/Doc/") + page).isFile())
            << page.toStdString();
    }
}

TEST_F(Package, DesktopEntryOpensFontFiles)
{
    const QString entry =
        QString::fromUtf8(installedFile(QStringLiteral("usr/share/applications/kernwick.desktop")));
    const QStringList lines = entry.split(QLatin1Char('\n'));
    EXPECT_EQ(lines.value(0), QStringLiteral("[Desktop Entry]"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Type=Application")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Exec=kernwick %f")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Icon=kernwick")));
    EXPECT_TRUE(lines.contains(QStringLiteral("MimeType=application/x-kernwick-font;")));

    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (!validator.isEmpty()) {
        const ProcessResult check = runProcess(
            validator, {root + QStringLiteral("/usr/share/applications/kernwick.desktop")});
        EXPECT_EQ(check.exitCode, 0) << check.out.toStdString() << check.err.toStdString();
    }
}

TEST_F(Package, FileTypesCoverTheFourKinds)
{
    QXmlStreamReader xml(installedFile(QStringLiteral("usr/share/mime/packages/kernwick.xml")));
    QMap<QString, QString> globs; // pattern → type
    QString type;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("mime-type"))
            type = xml.attributes().value(QStringLiteral("type")).toString();
        else if (xml.name() == QLatin1String("glob"))
            globs.insert(xml.attributes().value(QStringLiteral("pattern")).toString(), type);
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    const QMap<QString, QString> expected = {
        {"*.zvf", "application/x-kernwick-font"},
        {"*.zvc", "application/x-kernwick-config"},
        {"*.zvb", "application/x-kernwick-bootscript"},
        {"*.zvs", "application/x-kernwick-setup"},
    };
    EXPECT_EQ(globs, expected);
}

TEST_F(Package, ManualPagesCarryTheVersion)
{
    for (const char *page : {"kernwick", "kernwick-cli", "zuvo-sim"}) {
        const QString path =
            root + QStringLiteral("/usr/share/man/man1/%1.1.gz").arg(QLatin1String(page));
        const ProcessResult text =
            runProcess(QStringLiteral("gzip"), {QStringLiteral("-dc"), path});
        ASSERT_EQ(text.exitCode, 0) << page;
        EXPECT_TRUE(text.out.startsWith(".TH " + QByteArray(page).toUpper() + " 1 ")) << page;
        EXPECT_TRUE(text.out.contains("\"Kernwick " KERNWICK_VERSION "\"")) << page;
        EXPECT_FALSE(text.out.contains('@')) << page;
    }
}

TEST_F(Package, InstalledProgramsRun)
{
    const ProcessResult cli =
        runProcess(root + QStringLiteral("/usr/bin/kernwick-cli"), {QStringLiteral("--version")});
    EXPECT_EQ(cli.exitCode, 0);
    EXPECT_EQ(cli.out, QByteArray("kernwick-cli " KERNWICK_VERSION "\n"));

    const ProcessResult sim =
        runProcess(root + QStringLiteral("/usr/bin/zuvo-sim"), {QStringLiteral("--help")});
    EXPECT_EQ(sim.exitCode, 0);
    EXPECT_TRUE(sim.out.contains("--state")) << sim.out.toStdString();
}

} // namespace
