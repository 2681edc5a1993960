// TOstraDevice itself: properties, addressing of transactions, identification and the
// detection of the first transmitter on the line.
#include "ostradevice.h"

namespace quentry {

THART_PAS_UniqueID UniqueIDFromRaw(const THART_UniqueID& r)
{
    THART_PAS_UniqueID id;
    id.Expansion = r.Expansion;
    id.FactoryID = r.FactoryID;
    id.DeviceTypeID = r.DeviceTypeID;
    id.Preemables = r.Preemables;
    id.UniversalCmdRev = r.UniversalCmdRev;
    id.DevspecCmdRev = r.DevspecCmdRev;
    id.SwRev = r.SwRev;
    id.HwRev = r.HwRev;
    id.Function_flag = r.Function_flag;
    id.DeviceID = quint32(r.DeviceID_HI) << 16 | quint32(r.DeviceID_MID) << 8 | r.DeviceID_LO;
    id.CommonPracticeCmdRev = r.CommonPracticeCmdRev;
    id.CommonTablesRev = r.CommonTablesRev;
    id.DataLinkRev = r.DataLinkRev;
    id.DeviceFamilyCode = r.DeviceFamilyCode;
    return id;
}

THART_UniqueID UniqueIDToRaw(const THART_PAS_UniqueID& id)
{
    THART_UniqueID r{};
    r.Expansion = id.Expansion;
    r.FactoryID = id.FactoryID;
    r.DeviceTypeID = id.DeviceTypeID;
    r.Preemables = id.Preemables;
    r.UniversalCmdRev = id.UniversalCmdRev;
    r.DevspecCmdRev = id.DevspecCmdRev;
    r.SwRev = id.SwRev;
    r.HwRev = id.HwRev;
    r.Function_flag = id.Function_flag;
    r.DeviceID_HI = quint8(id.DeviceID >> 16);
    r.DeviceID_MID = quint8(id.DeviceID >> 8);
    r.DeviceID_LO = quint8(id.DeviceID);
    r.CommonPracticeCmdRev = id.CommonPracticeCmdRev;
    r.CommonTablesRev = id.CommonTablesRev;
    r.DataLinkRev = id.DataLinkRev;
    r.DeviceFamilyCode = id.DeviceFamilyCode;
    return r;
}

TOstraDevice::TOstraDevice(QObject* AOwner) : QObject(AOwner) {}

TUserFeedback& TOstraDevice::Feedback() const
{
    if (FFeedback) return *FFeedback;
    if (FCOMEngine) return FCOMEngine->Feedback();
    return silentFeedback();
}

TTXRXInfo TOstraDevice::BuildTTXRXInfo(const THART_PAS_UniqueID& f_pas_UniqueID) const
{
    TTXRXInfo result; // every field the identifier does not give starts cleared
    TCOMEngine::BuildTTXRXInfo(UniqueIDToRaw(f_pas_UniqueID), result);
    return result;
}

void TOstraDevice::PrepareSend(TTXRXInfo& f_device) const
{
    f_device.IsPrimary = true;
    f_device.IsInBurst = false;
    f_device.IsLongAddress = FIsLongFrame;
    f_device.Preemables = 5; // whatever the identifier asked for
}

TFrameError TOstraDevice::RdUniqueID(quint8 f_polladdress, THART_PAS_UniqueID& f_pas_UniqueID)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    TTXRXInfo device;
    device.IsPrimary = true;
    device.IsInBurst = false;
    device.IsLongAddress = false;
    device.Preemables = 5;
    device.Saddress = f_polladdress;
    THART_UniqueID raw{};
    FCOMEngine->HART_RdUniqueID(device, raw);
    f_pas_UniqueID = UniqueIDFromRaw(raw);
    return device.FrameError;
}

TFrameError TOstraDevice::RdUniqueIDWithTag(TTXRXInfo& f_device, const QString& f_TAG,
                                            THART_PAS_UniqueID& f_pas_UniqueID)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    THART_UniqueID raw{};
    // A transmitter holds its tag blank-padded to 8 characters; packed unpadded, a shorter
    // tag would lose its last group and match nobody.
    FCOMEngine->HART_RdUniqueIDWithTag(f_device, PadString(f_TAG, 8), raw);
    f_pas_UniqueID = UniqueIDFromRaw(raw);
    return f_device.FrameError;
}

bool TOstraDevice::DetectFirstDevice(quint8& FromPollAddress, THART_PAS_UniqueID& f_pas_UniqueID)
{
    if (!FCOMEngine) {
        FromPollAddress = kNoPollAddress;
        return false;
    }
    TProgressOptions options;
    options.caption = QStringLiteral("Scanning Network");
    options.minimum = 0;
    options.maximum = kMaxPollAddress;
    options.position = 0;
    options.cancelButton = true;
    options.smooth = true;
    options.centre = TCentre::MainWindow;
    auto progress = Feedback().showProgress(options);

    bool found = false;
    FCOMEngine->SetMaxRetrycount(kScanRetries);
    for (int addr = FromPollAddress; addr <= kMaxPollAddress; ++addr) {
        progress->setText(QStringLiteral("Query Node: %1").arg(addr));
        progress->setPosition(addr);
        // Cancel is seen between addresses, never inside a transaction.
        if (progress->canceled()) break;
        if (RdUniqueID(quint8(addr), f_pas_UniqueID) == FRERR_OK) {
            FromPollAddress = quint8(addr);
            found = true;
            break;
        }
    }
    FCOMEngine->SetMaxRetrycount(kNormalRetries);
    if (!found) FromPollAddress = kNoPollAddress;
    progress.reset(); // hides the dialog before the caller shows anything of its own
    return found;
}

} // namespace quentry
