// When reply bytes are due: line rate, chunks, turnaround order on a half-duplex line.
#include "linescheduler.h"

#include <gtest/gtest.h>

using namespace quentry::emulator;

TEST(LineScheduler, PacedBytesComeAtTheLineRateAndChunksWithGaps)
{
    TLineScheduler s;
    TLineTiming paced;
    paced.pace = true;
    paced.byteUs = 1000; // 1 ms a byte
    s.enqueue(QByteArray("abcdef"), 10000, paced);
    EXPECT_EQ(*s.nextDue(), 11000);
    EXPECT_TRUE(s.due(10999).isEmpty());
    EXPECT_EQ(s.due(13000), QByteArray("abc"));
    s.sent(3, 13000);
    EXPECT_EQ(*s.nextDue(), 14000);
    EXPECT_EQ(s.due(20000), QByteArray("def"));
    s.sent(3, 20000);
    EXPECT_FALSE(s.nextDue());

    TLineTiming chunked;
    chunked.chunkBytes = 2;
    chunked.chunkGapUs = 5000;
    s.enqueue(QByteArray("123456"), 30000, chunked);
    EXPECT_EQ(s.due(30000), QByteArray("12"));
    s.sent(2, 30000);
    EXPECT_EQ(*s.nextDue(), 35000);
    EXPECT_EQ(s.due(39999), QByteArray("34"));
    s.sent(2, 39999);
    EXPECT_EQ(s.due(40000), QByteArray("56"));
}

TEST(LineScheduler, RepliesGoInTurnAndNeverOverlap)
{
    TLineScheduler s;
    TLineTiming paced;
    paced.pace = true;
    paced.byteUs = 1000;
    s.enqueue(QByteArray("late"), 50000, paced);  // a delayed reply
    s.enqueue(QByteArray("soon"), 1000, paced);
    EXPECT_EQ(s.due(5000), QByteArray("soon"));
    s.sent(4, 5000);
    s.enqueue(QByteArray("next"), 5000, paced);   // due before "late", but only after "soon" left the line
    EXPECT_EQ(*s.nextDue(), 6000);
    EXPECT_EQ(s.due(9000), QByteArray("next"));
    s.sent(4, 9000);
    EXPECT_EQ(*s.nextDue(), 51000);
}

TEST(LineScheduler, ArrivalOfRequestBytesFollowsTheLineRate)
{
    TLineScheduler s;
    s.noteReceived(1000, 10, 9166.7);       // ten HART bytes read at once
    EXPECT_EQ(s.arrivalOf(9), 1000 + 91667); // the last one arrives after ten byte times
    s.noteReceived(2000, 5, 9166.7);         // more bytes while those are still "on the line"
    EXPECT_EQ(s.arrivalOf(0), 1000 + 91667 + 9167);
}
