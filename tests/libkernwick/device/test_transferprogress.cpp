// The transfer figures: what they derive, how they read, and how often a
// conversation reports them.

#include "downloadtest.h"
#include "libkernwick/device/transferprogress.h"
#include "namedcase.h"
#include "testapplication.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

KERNWICK_TEST_APPLICATION(QCoreApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

struct FiguresCase : NamedCase
{
    TransferProgress figures;
    int percent;
    std::optional<qint64> remainingMs;
    const char *text;
};

class Figures : public ::testing::TestWithParam<FiguresCase>
{
};

} // namespace

TEST_P(Figures, DeriveThePercentageTheRateAndTheTimeLeft)
{
    const FiguresCase &c = GetParam();
    EXPECT_EQ(c.figures.percent(), c.percent);
    EXPECT_EQ(c.figures.remainingMs(), c.remainingMs);
    EXPECT_EQ(progressText(c.figures), QString::fromUtf8(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Figures,
    ::testing::Values(
        FiguresCase{"Start",
                    {ProgressUnit::Chunks, 0, 64, 0, 0},
                    0,
                    {},
                    "0 of 64 chunks (0 %), 0 bytes sent"},
        // No time left yet: nothing is done to estimate it from.
        FiguresCase{"NothingDoneYet",
                    {ProgressUnit::Chunks, 0, 64, 165, 3300},
                    0,
                    {},
                    "0 of 64 chunks (0 %), 165 bytes sent, 50 bytes/s"},
        FiguresCase{"Quarter",
                    {ProgressUnit::Chunks, 16, 64, 5280, 105600},
                    25,
                    316800,
                    "16 of 64 chunks (25 %), 5280 bytes sent, 50 bytes/s, 5 min 17 s left"},
        FiguresCase{"Done",
                    {ProgressUnit::Blocks, 3, 3, 399, 1000},
                    100,
                    {},
                    "3 of 3 blocks (100 %), 399 bytes sent, 399 bytes/s"},
        FiguresCase{"NoPieces",
                    {ProgressUnit::Bytes, 0, 0, 0, 0},
                    100,
                    {},
                    "0 of 0 bytes (100 %), 0 bytes sent"},
        // A percentage rounds down: 99 % until the last piece is done.
        FiguresCase{"AlmostDone",
                    {ProgressUnit::Parameters, 199, 200, 900, 9000},
                    99,
                    45,
                    "199 of 200 parameters (99 %), 900 bytes sent, 100 bytes/s, 1 s left"},
        FiguresCase{"Hours",
                    {ProgressUnit::Bytes, 1, 1000, 1, 10000},
                    0,
                    9990000,
                    "1 of 1000 bytes (0 %), 1 bytes sent, 0 bytes/s, 2 h 46 min left"}),
    CaseName());

TEST(TransferMeter, CountsBytesAndTimeFromTheStartOnTheGivenClock)
{
    TransferMeter meter;
    EXPECT_FALSE(meter.begun());
    meter.begin(ProgressUnit::Blocks, 10, 500, 1000);
    EXPECT_TRUE(meter.begun());
    EXPECT_EQ(meter.at(0, 500, 1000), (TransferProgress{ProgressUnit::Blocks, 0, 10, 0, 0}));
    EXPECT_EQ(meter.at(4, 1032, 5000), (TransferProgress{ProgressUnit::Blocks, 4, 10, 532, 4000}));
    // A clock or a count that goes back never makes the figures negative.
    EXPECT_EQ(meter.at(1, 0, 0), (TransferProgress{ProgressUnit::Blocks, 1, 10, 0, 0}));
}

// A conversation reports the figures when the percentage changes and, while a long
// piece goes out, at most every refresh interval on the port's clock.
TEST(TransferReports, ComeWithEachPercentAndWhileALongPieceGoesOut)
{
    ScriptedPort port;
    LinkTiming timing = port.timing();
    timing.paceMs = 20;
    port.setTiming(timing);
    Record record;
    Conversation c(port, QStringLiteral("com1"), record.hooks());
    ASSERT_TRUE(port.open(QStringLiteral("com1")));

    c.beginTransfer(ProgressUnit::Chunks, 1000);
    ASSERT_EQ(record.transfers.size(), 1u);
    // 100 paced bytes take 2 s on the port's clock: a refresh every 250 ms.
    ASSERT_TRUE(port.writeString(QByteArray(100, 'x')));
    const std::size_t afterPiece = record.transfers.size();
    EXPECT_GE(afterPiece, 1u + 2000 / Conversation::TransferRefreshMs - 1);
    EXPECT_LE(afterPiece, 1u + 2000 / Conversation::TransferRefreshMs);
    EXPECT_EQ(record.transfers.back().done, 0);
    EXPECT_GT(record.transfers.back().bytesSent, 0);

    // A piece that changes no percentage and comes at once is not reported...
    c.reportTransfer(1);
    EXPECT_EQ(record.transfers.size(), afterPiece);
    // ... one that changes it is, and so is the last.
    c.reportTransfer(10);
    EXPECT_EQ(record.transfers.back().done, 10);
    c.reportTransfer(1000);
    EXPECT_EQ(record.transfers.back(), c.transferProgress());
    EXPECT_EQ(c.transferProgress().done, 1000);
    EXPECT_EQ(c.transferProgress().bytesSent, 100);
    // Once all is done the bytes of what follows (a flush) are no longer counted.
    const std::size_t atEnd = record.transfers.size();
    ASSERT_TRUE(port.writeString(QByteArray(100, 'y')));
    EXPECT_EQ(record.transfers.size(), atEnd);
}
