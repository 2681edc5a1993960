#pragma once
// The window's side of the service report: what this session knows about the rows in the
// store (a read of the detected transmitter, a loaded image file, generated rows), and the
// command that asks for a file and writes the report of all of them or of a period.
#include "reportvisit.h"

#include <QDateTime>
#include <optional>

namespace quentry {

class TCOMEngine;
class TDetection;
class TDeviceAccess;
class TLoggerSettings;
class TLogStore;
class TMessageService;

class TServiceReportAction
{
public:
    TServiceReportAction(TMessageService& messages, const TLogStore& store) : FMessages(messages), FStore(store) {}

    // A read starts: the detected identity, the link, the clock as the detection found it
    // (pcAtDetection: this PC's clock then) and the configuration known now.
    void RowsRead(const TDeviceAccess& access, const TDetection& detection, const TLoggerSettings& settings,
                  const TCOMEngine& engine, const QDateTime& pcAtDetection);
    // The store now holds the rows of this image file.
    void ImageLoaded(const QString& path);
    // The store now holds rows made by the log image simulator.
    void RowsGenerated();
    // The store was emptied.
    void Forget() { FVisit = TReportVisit(); }

    const TReportVisit& Visit() const { return FVisit; }

    // Asks for a file name, then writes the report of the store's rows, or of those whose
    // time stamps lie in [period.first, period.second]. False when nothing was written.
    bool Run(std::optional<std::pair<TDateTime, TDateTime>> period = std::nullopt);

private:
    TMessageService& FMessages;
    const TLogStore& FStore;
    TReportVisit FVisit;
    bool FFromImage = false;
    QString FLastPath;
};

} // namespace quentry
