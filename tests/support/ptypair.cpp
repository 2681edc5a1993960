#include "ptypair.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quentry::test {

TPtyPair::TPtyPair()
{
    FMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (FMaster < 0) return;
    if (::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0) {
        ::close(FMaster);
        FMaster = -1;
        return;
    }
    FSlavePath = QString::fromLocal8Bit(::ptsname(FMaster));
    FSlaveKeepAlive = ::open(FSlavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    if (FSlaveKeepAlive >= 0 && ::tcgetattr(FSlaveKeepAlive, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(FSlaveKeepAlive, TCSANOW, &t);
    }
    FNotifier = std::make_unique<QSocketNotifier>(FMaster, QSocketNotifier::Read);
    connect(FNotifier.get(), &QSocketNotifier::activated, this, &TPtyPair::onReadable);
}

TPtyPair::~TPtyPair()
{
    FNotifier.reset();
    if (FSlaveKeepAlive >= 0) ::close(FSlaveKeepAlive);
    if (FMaster >= 0) ::close(FMaster);
}

bool TPtyPair::send(const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(FMaster, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            return false;
        }
        done += n;
    }
    return true;
}

bool TPtyPair::slaveSettings(termios& t) const { return ::tcgetattr(FMaster, &t) == 0; }

void TPtyPair::onReadable()
{
    char buf[4096];
    QByteArray chunk;
    for (;;) {
        const ssize_t n = ::read(FMaster, buf, sizeof buf);
        if (n > 0) {
            chunk.append(buf, n);
            continue;
        }
        break; // EAGAIN, or EIO while no slave is open
    }
    if (chunk.isEmpty()) return;
    FReceived.append(chunk);
    if (onReceive) onReceive(*this, chunk);
}

} // namespace quentry::test
