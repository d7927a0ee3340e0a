#include "clirun.h"
#include "libkernwick/device/chunkencoding.h"
#include "namedcase.h"
#include "qtprinters.h"

#include <QFile>
#include <QList>

#include <gtest/gtest.h>

#include <random>

using namespace Kernwick;

namespace {

QByteArray codes(std::initializer_list<int> values)
{
    QByteArray text;
    for (const int v : values)
        text.append(char(v));
    return text;
}

struct EncodingCase : Test::NamedCase
{
    QByteArray bytes;
    QByteArray text;
    std::uint32_t checksum;
};

class ChunkEncoding : public ::testing::TestWithParam<EncodingCase>
{
};

} // namespace

TEST_P(ChunkEncoding, GivesTheTextAndTheChecksum)
{
    const EncodingCase &c = GetParam();
    EXPECT_EQ(encodeAscii85(c.bytes), c.text);
    EXPECT_EQ(chunkChecksum(c.bytes), c.checksum);
}

INSTANTIATE_TEST_SUITE_P(
    Figures, ChunkEncoding,
    ::testing::Values(
        // Unmasked, this checksum would have bit 31 set (0x8A820A64).
        EncodingCase{"WholeChunkOfZeros", QByteArray(256, '\0'), QByteArray(64, 'z'), 176294500},
        EncodingCase{"AbcIsOnePartialGroup", "abc", codes({64, 58, 69, 94}), 1457543324},
        EncodingCase{"OneZeroByteIsNeverZ", QByteArray(1, '\0'), "!!", 0x757DF59C},
        EncodingCase{"ThreeZeroBytesAreNeverZ", QByteArray(3, '\0'), "!!!!", 0x757DF59C},
        EncodingCase{"ZeroGroupThenPartial", QByteArray(5, '\0'), "z!!", 0x6079E0D4},
        EncodingCase{"LargestGroup", QByteArray(4, '\xff'), "s8W-!", 0x757DF59B},
        EncodingCase{"NoBytes", {}, {}, 0}),
    Test::CaseName());

TEST(ChunkChecksum, NeverHasBitThirtyOneSet)
{
    std::mt19937 random(31);
    for (int i = 0; i < 2000; ++i) {
        QByteArray chunk(int(random() % 256) + 1, '\0');
        for (char &b : chunk)
            b = char(random() % 4 == 0 ? 0 : random());
        EXPECT_EQ(chunkChecksum(chunk) & 0x80000000u, 0u) << chunk.toHex().toStdString();
    }
}

// tests/data/ascii85/chunks.txt holds seeded random chunks with their text as
// Python's base64.a85encode writes it (see make_chunks.py next to it).
TEST(ChunkEncoding, MatchesPythonsA85encode)
{
    QFile fixture(Kernwick::Test::testData(QStringLiteral("ascii85/chunks.txt")));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    int chunks = 0;
    int withZ = 0;
    for (const QByteArray &line : fixture.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> fields = line.split(' ');
        ASSERT_EQ(fields.size(), 2) << line.toStdString();
        const QByteArray bytes = QByteArray::fromHex(fields[0]);
        EXPECT_EQ(encodeAscii85(bytes), fields[1]) << fields[0].toStdString();
        ++chunks;
        withZ += fields[1].contains('z') ? 1 : 0;
    }
    EXPECT_GE(chunks, 50);
    EXPECT_GE(withZ, 10) << "the fixture must exercise whole zero groups";
}
