// Logger defects that stay with their rows: the text that names them, and what record
// and page reads of a ring with them deliver, read after read.
#include "loggerring.h"
#include "transmitterlogic.h"
#include "wire/logrowcheck.h"
#include "wire/wireconv.h"

#include <gtest/gtest.h>

using namespace quentry::emulator;

namespace {

std::unique_ptr<TLoggerRing> ringWith(const QString& defects, int rows = 30)
{
    TEmulatorConfig c;
    c.pages = 8;
    c.rows = rows;
    c.defects = *TLoggerDefects::parse(defects);
    return MakeLogger(c);
}

quint16 indexOf(const TLogRowBytes& r) { return quentry::readBE16(r.data() + 3); }
bool checks(const TLogRowBytes& r) { return quentry::LogRowChecksum(r.data()) == r[43]; }

} // namespace

TEST(LoggerDefects, TextAndItsErrors)
{
    const auto d = TLoggerDefects::parse(" gap@5:3, readerror@7,back@9,rowchk@2 ");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->missingIndexes, (std::vector<std::pair<int, int>>{{5, 3}}));
    EXPECT_EQ(d->indexFallsBack, (std::vector<std::pair<int, int>>{{9, 1000}}));
    EXPECT_EQ(d->readErrorRows, std::set<int>{7});
    EXPECT_EQ(d->badCheckRows, std::set<int>{2});
    EXPECT_TRUE(TLoggerDefects::parse("")->empty());
    for (const char* bad : {"gap", "gap@", "gap@x", "hole@3", "readerror@3:2", "gap@3:0", "gap@70000"}) {
        QString error;
        EXPECT_FALSE(TLoggerDefects::parse(bad, &error)) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
}

TEST(LoggerDefects, IndexesAreRenumberedWithValidChecks)
{
    const auto ring = ringWith("gap@10:2,back@20:15");
    const auto& rows = ring->rows();
    ASSERT_EQ(rows.size(), 30u);
    EXPECT_EQ(indexOf(rows[9]), 9);
    EXPECT_EQ(indexOf(rows[10]), 12);
    EXPECT_EQ(indexOf(rows[19]), 21);
    EXPECT_EQ(indexOf(rows[20]), 7); // 21 + 1 - 15
    for (const TLogRowBytes& r : rows) EXPECT_TRUE(checks(r));
    // The layout names the newest row's new index.
    EXPECT_EQ(quentry::readBE16(reinterpret_cast<const quint8*>(ring->layoutData().constData()) + 1), 16);
}

TEST(LoggerDefects, BadRowsStayBadInEveryRead)
{
    const auto ring = ringWith("readerror@3,rowchk@8");
    ring->open(true);
    std::vector<quint8> errors;
    for (int i = 0; i < 5; ++i) errors.push_back(ring->read(i > 0, 0, false, false, false).status & 0x3F);
    EXPECT_EQ(errors, (std::vector<quint8>{0, 0, 0, lerr_READERROR, 0}));
    quint8 e = 0;
    ring->seek(0, 3, e);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ring->read(false, 0, false, false, false).status & 0x3F, lerr_READERROR);
    for (int i = 0; i < 3; ++i) {
        const auto page = ring->pageRows(1);
        EXPECT_FALSE(checks(page[2]));
        EXPECT_TRUE(checks(page[1]));
        EXPECT_TRUE(checks(page[3]));
    }
}
