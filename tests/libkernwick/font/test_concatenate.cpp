#include "libkernwick/font/concatenate.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Kernwick;

namespace {

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

// A font-sized file whose Skip field holds a stale, non-zero value.
QByteArray fakeFont(int size, char fill)
{
    QByteArray b(size, fill);
    b[12] = b[13] = b[14] = b[15] = char(0x77);
    return b;
}

quint32 skipAt(const QByteArray &b, int offset)
{
    quint32 v = 0;
    for (int k = 0; k < 4; ++k)
        v |= quint32(std::uint8_t(b[offset + 12 + k])) << (8 * k);
    return v;
}

} // namespace

TEST(Concatenate, ChainsTheFontsThroughTheirSkipFields)
{
    QTemporaryDir dir;
    const QString a = writeFile(dir, "a.zvf", fakeFont(1952, 'a'));
    const QString b = writeFile(dir, "b.zvf", fakeFont(96, 'b'));
    QByteArray joined;
    QString error;
    ASSERT_TRUE(concatenateFonts({a, b}, &joined, &error));
    ASSERT_EQ(joined.size(), 2048);
    EXPECT_EQ(skipAt(joined, 0), 1952u);
    EXPECT_EQ(skipAt(joined, 1952), 0u);
    EXPECT_EQ(joined.mid(16, 1952 - 16), QByteArray(1952 - 16, 'a'));
    EXPECT_EQ(joined.mid(1952 + 16), QByteArray(96 - 16, 'b'));

    ASSERT_TRUE(concatenateFonts({b}, &joined, &error));
    QByteArray expected = fakeFont(96, 'b');
    expected[12] = expected[13] = expected[14] = expected[15] = 0;
    EXPECT_EQ(joined, expected) << "one file is copied with Skip 0";

    QFile input(a);
    ASSERT_TRUE(input.open(QIODevice::ReadOnly));
    EXPECT_EQ(input.readAll(), fakeFont(1952, 'a')) << "inputs are never changed";
}

TEST(Concatenate, RefusesFilesItCannotJoin)
{
    QTemporaryDir dir;
    const QString ok = writeFile(dir, "ok.zvf", fakeFont(64, 'o'));
    const QString atLimit = writeFile(dir, "limit.zvf", fakeFont(int(MaxJoinedFontBytes), 'l'));
    const QString tooBig = writeFile(dir, "big.zvf", fakeFont(int(MaxJoinedFontBytes) + 1, 'x'));
    const QString tiny = writeFile(dir, "tiny.zvf", QByteArray(10, 't'));
    QByteArray joined = "untouched";
    QString error;

    EXPECT_TRUE(concatenateFonts({atLimit, ok}, &joined, &error));
    EXPECT_EQ(joined.size(), MaxJoinedFontBytes + 64);

    joined = "untouched";
    for (const QString &bad : {tooBig, tiny, dir.filePath("missing.zvf")}) {
        EXPECT_FALSE(concatenateFonts({ok, bad}, &joined, &error)) << bad.toStdString();
        EXPECT_TRUE(error.contains(bad)) << error.toStdString();
        EXPECT_EQ(joined, "untouched");
    }
    EXPECT_FALSE(concatenateFonts({tooBig}, &joined, &error));
    EXPECT_TRUE(error.contains("983040")) << error.toStdString();
}
