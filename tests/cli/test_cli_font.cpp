// kernwick-cli's font file commands, run as a user runs them.

#include "clirun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Kernwick::Test;

namespace {

class CliFont : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QByteArray read(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(CliFont, DefaultThenInfo)
{
    ASSERT_EQ(runCli({"default", "-o", path("f.zvf")}).exitCode, 0);
    EXPECT_EQ(read("f.zvf").size(), 1952);
    const CliResult info = runCli({"info", path("f.zvf")});
    EXPECT_EQ(info.exitCode, 0) << info.err.constData();
    EXPECT_EQ(info.out, "Name : default\nSkip : 0\nPixwidth : 96\nChars : 95\nFirst : 32\n"
                        "Height : 14\nAscent : 10\nLdepth : 0\nLayout : 1\nFileSize : 1952\n");
}

TEST_F(CliFont, NewAndDump)
{
    const CliResult made =
        runCli({"new", "-o", path("n.zvf"), "--name", "tiny", "--depth", "2", "--chars", "2",
                "--first", "65", "--height", "2", "--width", "3", "--ascent", "1"});
    ASSERT_EQ(made.exitCode, 0) << made.err.constData();
    const CliResult dump = runCli({"dump", path("n.zvf")});
    EXPECT_EQ(dump.exitCode, 0);
    EXPECT_EQ(dump.out, "glyph 65 width 3 left 0 offset 0\n000\n000\n"
                        "glyph 66 width 3 left 0 offset 3\n000\n000\n");
    EXPECT_TRUE(runCli({"info", path("n.zvf")}).out.contains("Ldepth : 1\n"));
}

TEST_F(CliFont, NewRefusesWhatTheDialogRefuses)
{
    write("keep.zvf", "old");
    const struct
    {
        QStringList args;
        int exitCode;
        const char *message;
    } cases[] = {
        {{"--ascent", "14"}, 1, "kernwick-cli: Error! Ascent must be less than Height\n"},
        {{"--chars", "0"}, 1, "kernwick-cli: Please enter an integer between 1 and 65535.\n"},
        {{"--height", "256"}, 1, "kernwick-cli: Please enter an integer between 0 and 255.\n"},
        {{"--name", "twelve chars"}, 1, "kernwick-cli: Please enter no more than 11 characters.\n"},
        {{"--depth", "3"}, 2, "kernwick-cli: --depth must be 1 or 2\n"},
        // Every glyph must get a code the editor can select.
        {{"--first", "65535"}, 1, "kernwick-cli: The last character code must not exceed 65535.\n"},
        {{"--first", "65442", "--chars", "95"},
         1,
         "kernwick-cli: The last character code must not exceed 65535.\n"},
    };
    for (const auto &c : cases) {
        const CliResult r = runCli(QStringList{"new", "-o", path("keep.zvf")} + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.message;
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(read("keep.zvf"), "old") << "a refused font never replaces the output";
    }
    ASSERT_EQ(runCli({"new", "-o", path("last.zvf"), "--first", "65441"}).exitCode, 0);
    EXPECT_TRUE(runCli({"info", path("last.zvf")}).out.contains("First : 65441\n"));
}

TEST_F(CliFont, ExportCWritesFontCInTheCurrentDirectory)
{
    ASSERT_EQ(runCli({"default", "-o", path("f.zvf")}).exitCode, 0);
    ASSERT_EQ(runCli({"export-c", path("f.zvf")}, m_dir.path()).exitCode, 0);
    const QByteArray c = read("font.c");
    EXPECT_TRUE(c.startsWith("unsigned char fontdata[95][64] = {\n//ascii 32  \n"));
    EXPECT_TRUE(c.endsWith("}\n};"));
    ASSERT_EQ(runCli({"export-c", path("f.zvf"), "-o", path("other.c")}).exitCode, 0);
    EXPECT_EQ(read("other.c"), c);
}

TEST_F(CliFont, ConcatJoinsInOrder)
{
    ASSERT_EQ(runCli({"default", "-o", path("a.zvf")}).exitCode, 0);
    ASSERT_EQ(runCli({"new", "-o", path("b.zvf"), "--chars", "1", "--height", "2", "--ascent", "1",
                      "--width", "3"})
                  .exitCode,
              0);
    ASSERT_EQ(read("b.zvf").size(), 96);
    ASSERT_EQ(runCli({"concat", path("a.zvf"), path("b.zvf"), "-o", path("j.zvf")}).exitCode, 0);
    const QByteArray joined = read("j.zvf");
    ASSERT_EQ(joined.size(), 2048);
    EXPECT_EQ(joined.mid(12, 4), QByteArray("\xa0\x07\x00\x00", 4)); // 1952
    EXPECT_EQ(joined.mid(1952 + 12, 4), QByteArray(4, '\0'));

    // A missing input fails the whole command and leaves the old output alone.
    const CliResult r = runCli({"concat", path("a.zvf"), path("none.zvf"), "-o", path("j.zvf")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith("kernwick-cli: ")) << r.err.constData();
    EXPECT_EQ(read("j.zvf"), joined);

    // A file too large to join is named once in the message.
    write("over.bin", QByteArray(983041, 'x'));
    const CliResult over = runCli({"concat", path("over.bin"), "-o", path("j.zvf")});
    EXPECT_EQ(over.exitCode, 1);
    EXPECT_EQ(over.err,
              ("kernwick-cli: " + path("over.bin") + ": the file is larger than 983040 bytes\n")
                  .toUtf8());
    EXPECT_EQ(read("j.zvf"), joined);
}

TEST_F(CliFont, BadFontFilesFailCleanly)
{
    ASSERT_EQ(runCli({"default", "-o", path("good.zvf")}).exitCode, 0);
    const QByteArray good = read("good.zvf");
    QByteArray absurd(40, '\0');
    absurd[20] = absurd[21] = char(0xff); // 65535 glyphs
    absurd[24] = char(255);
    write("truncated.zvf", good.left(700));
    write("empty.zvf", "");
    write("absurd.zvf", absurd);
    for (const char *name : {"truncated.zvf", "empty.zvf", "absurd.zvf"}) {
        for (const char *command : {"info", "dump", "export-c"}) {
            QStringList args{command, path(name)};
            if (QByteArray(command) == "export-c")
                args << "-o" << path("out.c");
            const CliResult r = runCli(args);
            EXPECT_EQ(r.exitCode, 1) << command << ' ' << name;
            EXPECT_EQ(r.err,
                      ("kernwick-cli: " + path(name) + ": Unexpected file format.\n").toUtf8());
        }
    }
    EXPECT_FALSE(QFile::exists(path("out.c")));
}

TEST_F(CliFont, UsageErrorsExitWithTwo)
{
    for (const QStringList &args :
         {QStringList{}, QStringList{"frobnicate"}, QStringList{"info"}, QStringList{"default"},
          QStringList{"concat", "-o", "x"}, QStringList{"info", "--bogus", "f"}}) {
        const CliResult r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
    }
    const CliResult help = runCli({"concat", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("-o, --output <file>"));
}
