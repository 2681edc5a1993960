// quentry-emulator as a user starts it: a separate process that prints its port, serves
// the engine at the line rate, and ends cleanly on SIGTERM.
#include "comengine.h"
#include "wire/wireconv.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace quentry;

namespace {

class EmulatorProgram : public ::testing::Test
{
protected:
    QString startProgram(const QStringList& args)
    {
        program.setProgram(QStringLiteral(QUENTRY_EMULATOR_PROGRAM));
        program.setArguments(args);
        program.start();
        if (!program.waitForStarted(5000)) return {};
        while (!program.canReadLine())
            if (!program.waitForReadyRead(5000)) return {};
        return QString::fromLocal8Bit(program.readLine()).trimmed();
    }

    void TearDown() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(5000);
        }
    }

    QProcess program;
};

} // namespace

TEST_F(EmulatorProgram, ServesTheEngineAtTheLineRateUntilTerminated)
{
    const QString port = startProgram({QStringLiteral("--rows"), QStringLiteral("12288"), QStringLiteral("--pace")});
    ASSERT_TRUE(port.startsWith(QStringLiteral("/dev/"))) << qPrintable(port);
    {
        TCOMEngine engine;
        engine.SetProtokoll(prt_HART);
        ASSERT_TRUE(engine.OpenComByName(port));
        TTXRXInfo d;
        d.Preemables = 5;
        d.IsPrimary = true;
        THART_UniqueID id{};
        engine.HART_RdUniqueID(d, id);
        ASSERT_EQ(d.FrameError, FRERR_OK);
        d.FactoryID = id.FactoryID;
        d.DeviceTypeID = id.DeviceTypeID;
        d.DeviceID_HI = id.DeviceID_HI;
        d.DeviceID_MID = id.DeviceID_MID;
        d.DeviceID_LO = id.DeviceID_LO;
        d.IsLongAddress = true;
        d.Preemables = 5;
        THART_LOG_RdLFData lf{};
        engine.HART_LOG_RdLFData(d, lf);
        ASSERT_EQ(d.FrameError, FRERR_OK);
        EXPECT_EQ(lf.sor, 6);
        EXPECT_EQ(readBE16(lf.page), 2047);
        EXPECT_EQ(readBE16(lf.totalpagecount), 2048);
        EXPECT_EQ(lf.rowperpage, 6);
        EXPECT_EQ(lf.status & 0x10, 0); // not wrapped
        EXPECT_EQ(readBE16(lf.index), 12287);
    }
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(5000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

TEST_F(EmulatorProgram, RefusesOptionsItCannotServe)
{
    for (const QStringList& args : {QStringList{QStringLiteral("--address"), QStringLiteral("16")},
                                    QStringList{QStringLiteral("--faults"), QStringLiteral("explode")},
                                    QStringList{QStringLiteral("--pages"), QStringLiteral("4"), QStringLiteral("--rows"),
                                                QStringLiteral("25")}}) {
        program.setProgram(QStringLiteral(QUENTRY_EMULATOR_PROGRAM));
        program.setArguments(args);
        program.start();
        ASSERT_TRUE(program.waitForFinished(5000));
        EXPECT_EQ(program.exitCode(), 2) << qPrintable(args.join(' '));
        EXPECT_TRUE(program.readAllStandardOutput().isEmpty());
    }
}
