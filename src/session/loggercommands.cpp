#include "loggercommands.h"

#include "loggerengine.h"

namespace quentry {

QString ClearLoggerQuestion() { return QStringLiteral("Are You sure to delete all records from the Device?"); }

bool ClearLogger(TDeviceAccess& access, const TLOGGEREngine& reader)
{
    if (reader.Active()) return false;
    TProgressOptions o;
    o.caption = QStringLiteral("Clearing Logger");
    o.maximum = 3;
    auto progress = access.feedback().showProgress(o);
    progress->setPosition(1);
    progress->setText(QStringLiteral("Opening Logger ... "));
    TTXRXInfo d = access.addressing();
    THART_PAS_LOG_OpenClose open;
    open.mode = 1;
    const bool opened = access.device().Log_OpenClose(d, open) == FRERR_OK;
    if (opened) {
        progress->setPosition(2);
        progress->setText(QStringLiteral("Performing Clear."));
        THART_PAS_LOG_RdStatus status;
        if (access.device().Log_Clr(d, status) != FRERR_OK) return false;
    }
    progress->setPosition(3);
    progress->setText(QStringLiteral("Closing Logger ..."));
    THART_PAS_LOG_OpenClose close;
    close.mode = 0;
    access.device().Log_OpenClose(d, close);
    // A logger that could not be opened was not cleared: no success to report.
    return opened;
}

} // namespace quentry
