#include "demo.h"

#include "historylocation.h"
#include "linktypes.h"
#include "virtualtransmitter.h"

#include <QDir>
#include <QFile>

namespace quentry {

TDemoLink::TDemoLink() = default;

TDemoLink::~TDemoLink()
{
    if (FTransmitter) FTransmitter->stop();
}

bool TDemoLink::Start(QString& error)
{
    FDir = std::make_unique<QTemporaryDir>();
    if (!FDir->isValid()) {
        error = QStringLiteral("no temporary directory for the demo settings: %1").arg(FDir->errorString());
        return false;
    }
    // HART through a HART modem, polling address 0.
    FTransmitter = emulator::StartWithRows({}, kDemoRows, FPortName, error);
    if (!FTransmitter) return false;
    QFile ini(Location().ReadPath());
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Text)) {
        error = QStringLiteral("cannot write the demo settings %1: %2").arg(ini.fileName(), ini.errorString());
        return false;
    }
    ini.write(QStringLiteral("[Main]\nOpenComAtStart=1\nComPort=1\nComPortName=%1\nProtocol=%2\nAdapter=0\n"
                             "TimeOut=%3\nHistoryFile=%4\n")
                  .arg(FPortName)
                  .arg(int(prt_HART))
                  .arg(kDemoCycleMs)
                  .arg(QLatin1String(kHistoryFileName))
                  .toUtf8());
    return ini.flush();
}

TSettingsLocation TDemoLink::Location() const
{
    TSettingsLocation l;
    l.fallbackDir = FDir ? FDir->path() : QString(); // no site directory: only this private file is used
    return l;
}

QString TDemoLink::HistoryPath() const
{
    return FDir ? QDir(FDir->path()).filePath(QLatin1String(kHistoryFileName)) : QString();
}

} // namespace quentry
