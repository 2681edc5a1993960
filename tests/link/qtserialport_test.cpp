// The real serial port on a pseudo-terminal: bytes both ways, settings reach the line,
// modem-line calls are tolerated, transmit-empty follows the line time; and the engine
// runs whole transactions through it against a scripted far side.
#include "adapters.h"
#include "comengine.h"
#include "ptypair.h"
#include "qtserialport.h"
#include "testbytes.h"
#include "waiting.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <gtest/gtest.h>

using namespace quentry;
using namespace quentry::test;

namespace {

speed_t baudOf(const termios& t) { return cfgetospeed(&t); }

} // namespace

TEST(QtSerialPortOnPty, BytesSettingsLinesAndTransmitEmpty)
{
    TPtyPair pty;
    ASSERT_TRUE(pty.isValid());
    TQtSerialPort port;
    TSerialSettings s;
    s.portName = pty.slavePath();
    s.baudRate = 1200;
    s.parity = TParity::Odd;
    port.SetSettings(s);

    int opened = 0, closed = 0, received = 0, txEmpty = 0;
    TSerialHandlers h;
    h.afterOpen = [&] { ++opened; };
    h.afterClose = [&] { ++closed; };
    h.rxChar = [&](int n) { received += n; };
    h.txEmpty = [&] { ++txEmpty; };
    port.SetHandlers(h);
    ASSERT_TRUE(port.Open()) << port.ErrorString().toStdString();
    EXPECT_EQ(opened, 1);

    termios t{};
    ASSERT_TRUE(pty.slaveSettings(t));
    EXPECT_EQ(baudOf(t), speed_t(B1200)); // (a pty drops the parity bits; the rate it keeps)

    port.SetDTR(true); // a pty has no modem lines: tolerated
    port.SetRTS(false);

    // 11 bytes at 1200 baud, 11 bits each: about 101 ms on the line.
    const QByteArray frame = bytes("FF FF FF FF FF 02 82 00 00 80 00");
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(port.Write(quentry::test::u8(frame), int(frame.size())));
    ASSERT_TRUE(WaitUntil([&] { return txEmpty == 1; }, 2000));
    EXPECT_GE(clock.elapsed(), 95);
    EXPECT_LT(clock.elapsed(), 250);
    ASSERT_TRUE(WaitUntil([&] { return pty.received().size() == frame.size(); }, 1000));
    EXPECT_EQ(pty.received(), frame);

    ASSERT_TRUE(pty.send(bytes("01 02 03 04")));
    ASSERT_TRUE(WaitUntil([&] { return received >= 4; }, 1000));
    quint8 in[8] = {};
    EXPECT_EQ(port.Read(in, 8), 4);
    EXPECT_EQ(in[3], 0x04);

    // Settings changed together while open reach the line at EndUpdate.
    port.BeginUpdate();
    s.baudRate = 57600;
    s.parity = TParity::None;
    port.SetSettings(s);
    port.EndUpdate();
    ASSERT_TRUE(pty.slaveSettings(t));
    EXPECT_EQ(baudOf(t), speed_t(B57600));

    port.Close();
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(port.Connected());
}

TEST(QtSerialPortOnPty, RefusedOpensSayWhy)
{
    TPtyPair pty;
    ASSERT_TRUE(pty.isValid());
    TQtSerialPort holder; // another program with the port open
    holder.SetPortName(pty.slavePath());
    ASSERT_TRUE(holder.Open()) << holder.ErrorString().toStdString();
    QTemporaryDir dir;
    const QString plainFile = dir.filePath("not-a-port");
    QFile(plainFile).open(QIODevice::WriteOnly);

    const struct { QString name; TPortOpenFailure why; } cases[] = {
        {"/dev/quentry-no-such-port", TPortOpenFailure::NotPresent},
        {"quentry-no-such-port", TPortOpenFailure::NotPresent}, // a bare name lives under /dev
        {pty.slavePath(), TPortOpenFailure::InUse},
        {plainFile, TPortOpenFailure::Other},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        TQtSerialPort port;
        port.SetPortName(c.name);
        EXPECT_FALSE(port.Open());
        EXPECT_FALSE(port.Connected());
        EXPECT_EQ(port.OpenFailure(), c.why);
        EXPECT_FALSE(port.ErrorString().isEmpty()) << "the system's text is kept";
    }
    holder.Close();
    TQtSerialPort port;
    port.SetPortName(pty.slavePath());
    EXPECT_TRUE(port.Open()) << "free again once the other lets go";
    EXPECT_EQ(port.OpenFailure(), TPortOpenFailure::None);
}

TEST(PortOpenFailure, TheTextSaysWhatToDo)
{
    const struct { TPortOpenFailure why; QString system; QStringList ports; QString text; } cases[] = {
        {TPortOpenFailure::NotPresent, "No such file or directory", {"ttyUSB0", "ttyS0", "ttyACM1"},
         "ttyUSB9 is not present; ports found: ttyACM1, ttyS0, ttyUSB0"},
        {TPortOpenFailure::NotPresent, "", {}, "ttyUSB9 is not present; no serial ports found"},
        {TPortOpenFailure::Permission, "Permission denied", {},
         "ttyUSB9 may not be opened by this user: add yourself to the dialout group (sudo adduser $USER "
         "dialout) and log in again"},
        {TPortOpenFailure::InUse, "Device or resource busy", {}, "ttyUSB9 is in use by another program"},
        {TPortOpenFailure::Other, "Inappropriate ioctl for device", {},
         "ttyUSB9 cannot be opened: Inappropriate ioctl for device"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortOpenFailureText("ttyUSB9", c.why, c.system, c.ports), c.text);
}

TEST(QtSerialPortOnPty, VanishedDeviceIsReportedOnceAndClosesThePort)
{
    // The far end of the line goes away (the device unplugged, the emulator killed): every
    // later read of the port fails. One error, then the port is closed.
    auto pty = std::make_unique<TPtyPair>();
    ASSERT_TRUE(pty->isValid());
    TQtSerialPort port;
    port.SetPortName(pty->slavePath());
    int closed = 0, ioErrors = 0, otherErrors = 0;
    TSerialHandlers h;
    h.afterClose = [&] { ++closed; };
    h.error = [&](TLineErrors e) { ++(e == le_IO ? ioErrors : otherErrors); };
    port.SetHandlers(h);
    ASSERT_TRUE(port.Open()) << port.ErrorString().toStdString();
    pty.reset();
    EXPECT_TRUE(WaitUntil([&] { return closed == 1; }, 2000));
    WaitUntil([] { return false; }, 100); // any error still to come would come now
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(ioErrors, 1);
    EXPECT_EQ(otherErrors, 0);
    EXPECT_FALSE(port.ErrorString().isEmpty());
}

TEST(EngineOnPty, HartIdentificationEndToEnd)
{
    TPtyPair pty;
    ASSERT_TRUE(pty.isValid());
    TCOMEngine engine;
    engine.SetProtokoll(prt_HART);
    ASSERT_TRUE(engine.OpenComByName(pty.slavePath()));
    engine.SetTime_ByteGap(50);
    engine.SetTime_WaitAnswer(300);
    QByteArray request;
    pty.onReceive = [&](TPtyPair& p, const QByteArray& chunk) {
        request += chunk;
        if (request.size() < 10) return;
        // A reply in two chunks, as a modem delivers it.
        const QByteArray reply = hartReply(5, bytes("06 80 00 12 00 00 FE 26 41 05 05 01 02 03 00 12 34 56 05 06 01 00"));
        p.send(reply.left(9));
        QTimer::singleShot(20, &p, [&p, reply] { p.send(reply.mid(9)); });
    };
    TTXRXInfo d;
    d.Saddress = 0;
    d.Preemables = 5;
    d.IsPrimary = true;
    THART_UniqueID id;
    engine.HART_RdUniqueID(d, id);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(request, bytes("FF FF FF FF FF 02 80 00 00 82"));
    EXPECT_EQ(id.DeviceTypeID, 0x41);
    EXPECT_EQ(quint32(id.DeviceID_HI) << 16 | id.DeviceID_MID << 8 | id.DeviceID_LO, 0x123456u);
    EXPECT_EQ(engine.RxCount(), 1u);
    engine.CloseCom();
}

TEST(EngineOnPty, TavixSwitchThenFastRequest)
{
    TPtyPair pty;
    ASSERT_TRUE(pty.isValid());
    TCOMEngine engine;
    engine.SetAdapter(adt_USB);
    engine.Tavix().SetTimeScale(0.05);
    engine.SetProtokoll(prt_MODE3);
    ASSERT_TRUE(engine.OpenComByName(pty.slavePath()));
    engine.SetTime_ByteGap(30);
    QByteArray modeCommand;
    pty.onReceive = [&](TPtyPair& p, const QByteArray& chunk) {
        termios t{};
        p.slaveSettings(t);
        if (cfgetospeed(&t) == B9600) {
            modeCommand += chunk;
            if (modeCommand.size() == 4) p.send(withCrc(bytes("30 35 35")));
            return;
        }
        if (chunk.startsWith(bytes("03"))) p.send(fastReply(3, 0, bytes("00000000 22 00 2D 3FC00000")));
    };
    ASSERT_TRUE(engine.SendAdapterMode());
    EXPECT_EQ(modeCommand, bytes("30 35 D5 A7"));
    termios t{};
    ASSERT_TRUE(pty.slaveSettings(t));
    EXPECT_EQ(cfgetospeed(&t), speed_t(B57600)) << "the port is given back with the FAST settings";

    TTXRXInfo d;
    THART_RdWrParam param{};
    param.pnum = 34;
    engine.FAST_RDPTAB(d, param);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(param.dim, 0x2D);
    engine.CloseCom();
}
