#pragma once
// A pseudo-terminal pair for tests of the real serial port: the test holds the master
// side and answers what the port under test writes to the slave.
#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <functional>
#include <memory>
#include <termios.h>

namespace quentry::test {

class TPtyPair final : public QObject
{
    Q_OBJECT
public:
    TPtyPair();
    ~TPtyPair() override;

    bool isValid() const { return FMaster >= 0; }
    QString slavePath() const { return FSlavePath; }

    // Called with the bytes read from the master each time some arrive.
    std::function<void(TPtyPair& pty, const QByteArray& received)> onReceive;
    bool send(const QByteArray& bytes);
    QByteArray received() const { return FReceived; }
    void clearReceived() { FReceived.clear(); }
    // Line settings the slave side currently has (set by the port under test).
    bool slaveSettings(termios& t) const;

private:
    void onReadable();

    int FMaster = -1;
    int FSlaveKeepAlive = -1; // keeps the master readable while the port under test is closed
    QString FSlavePath;
    std::unique_ptr<QSocketNotifier> FNotifier;
    QByteArray FReceived;
};

} // namespace quentry::test
