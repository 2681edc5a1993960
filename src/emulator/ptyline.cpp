#include "ptyline.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace quentry::emulator {
namespace {

int baudOf(speed_t s)
{
    switch (s) {
    case B300: return 300;
    case B600: return 600;
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    default: return 0;
    }
}

} // namespace

bool TPtyLine::open(QString* error)
{
    auto fail = [&](const char* what) {
        if (error) *error = QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
        close();
        return false;
    };
    FMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (FMaster < 0) return fail("posix_openpt");
    if (::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0) return fail("grantpt/unlockpt");
    const char* name = ::ptsname(FMaster);
    if (!name) return fail("ptsname");
    FSlavePath = QString::fromLocal8Bit(name);
    FSlaveKeepAlive = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (FSlaveKeepAlive < 0) return fail("open slave");
    // Raw from the start: no echo of our replies back to us, no line editing, before the
    // tool sets its own mode.
    termios t{};
    if (::tcgetattr(FSlaveKeepAlive, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(FSlaveKeepAlive, TCSANOW, &t);
    }
    return true;
}

void TPtyLine::close()
{
    if (FSlaveKeepAlive >= 0) ::close(FSlaveKeepAlive);
    if (FMaster >= 0) ::close(FMaster);
    FSlaveKeepAlive = FMaster = -1;
}

QByteArray TPtyLine::readAvailable(int limit)
{
    QByteArray out;
    if (FMaster < 0) return out;
    char buf[4096];
    while (out.size() < limit) {
        const ssize_t n = ::read(FMaster, buf, size_t(qMin<int>(int(sizeof buf), limit - int(out.size()))));
        if (n > 0) {
            out.append(buf, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break; // EAGAIN: nothing more now
    }
    return out;
}

int TPtyLine::write(const char* data, int count)
{
    if (FMaster < 0) return -1;
    for (;;) {
        const ssize_t n = ::write(FMaster, data, size_t(count));
        if (n >= 0) return int(n);
        if (errno == EINTR) continue;
        return errno == EAGAIN ? 0 : -1;
    }
}

TLineSettings TPtyLine::settings() const
{
    TLineSettings s;
    termios t{};
    if (FMaster < 0 || ::tcgetattr(FMaster, &t) != 0) return s;
    s.baud = baudOf(::cfgetospeed(&t));
    if (s.baud == 0) return s;
    s.known = true;
    switch (t.c_cflag & CSIZE) {
    case CS5: s.dataBits = 5; break;
    case CS6: s.dataBits = 6; break;
    case CS7: s.dataBits = 7; break;
    default: s.dataBits = 8; break;
    }
    s.parity = (t.c_cflag & PARENB) ? ((t.c_cflag & PARODD) ? 'O' : 'E') : 'N';
    s.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    return s;
}

} // namespace quentry::emulator
