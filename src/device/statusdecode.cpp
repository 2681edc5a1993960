#include "statusdecode.h"

#include "shorttext.h"
#include "wire/wireconv.h"

#include <array>
#include <string>

namespace quentry {
namespace {

constexpr std::array<std::string_view, 8> kErrorTexts = {"No Echo", "Err 3",  "Err 16", "Err 13",
                                                         "Err 14",  "Err 12", "Err 15", "Err 18"};
constexpr std::array<std::string_view, 5> kWarningTexts = {"Err 7", "Err 5", "Sub 0", "Err T. Sens.", "Err 4"};
constexpr std::array<std::string_view, 8> kModeTexts = {"DIST", "LEV", "LEV%", "VOL", "VOL%", "FLOW", "--", "--"};

struct TDefDimStr
{
    quint16 i;
    std::string_view d;
};

// Unit codes follow the numbering of the HART common unit table; several codes share a
// text, and that is how they are shown.
constexpr TDefDimStr kUnitTable[] = {
    {15, "cuft/min"},  {16, "gal/min"},  {17, "liter/min"}, {18, "gal/min"},   {19, "cum/hour"},
    {20, "ft/s"},      {21, "m/s"},      {22, "gal/s"},     {24, "liter/s"},   {26, "cuft/sec"},
    {27, "cuft/day"},  {28, "cum/sec"},  {29, "cum/day"},   {30, "gal/hour"},  {31, "gal/day"},
    {32, "degC"},      {33, "degF"},     {34, "degR"},      {35, "gradK"},     {36, "mV"},
    {37, "Ohm"},       {38, "Hz"},       {39, "mA"},        {40, "gal"},       {41, "liter"},
    {42, "gal"},       {43, "cum"},      {44, "ft"},        {45, "m"},         {47, "in"},
    {48, "cm"},        {49, "mm"},       {50, "min"},       {51, "sec"},       {52, "hour"},
    {53, "day"},       {57, "%"},        {58, "V"},         {59, "pH"},        {60, "gram"},
    {61, "kg"},        {62, "t"},        {63, "lb"},        {64, "t"},         {65, "t"},
    {77, "t/min"},     {78, "t/hour"},   {79, "t/day"},     {80, "lb/sec"},    {81, "lb/min"},
    {82, "lb/hour"},   {83, "lb/day"},   {84, "t/min"},     {85, "t/hour"},    {86, "t/day"},
    {87, "t/hour"},    {88, "t/day"},    {92, "kg/cum"},    {112, "cuft"},     {138, "liter/hour"},
    {240, "liter/day"},
};
static_assert(std::size(kUnitTable) == 61);

// Every code's text, looked up once: a whole logger asks for two per row.
const std::array<std::string, 256>& unitTexts()
{
    static const std::array<std::string, 256> texts = [] {
        std::array<std::string, 256> t;
        for (int code = 0; code < 256; ++code) {
            t[code] = "(" + std::to_string(code) + ")";
            for (const TDefDimStr& row : kUnitTable) {
                if (row.i != code) continue;
                if (!row.d.empty()) t[code] = std::string(row.d);
                break; // the first row with the code decides
            }
        }
        return t;
    }();
    return texts;
}

} // namespace

std::string_view ErrorText(quint16 error)
{
    for (int bit = 0; bit < 8; ++bit)
        if (error & (1u << bit)) return kErrorTexts[bit];
    return "No Errors";
}

std::string_view WarningText(quint16 error)
{
    for (int bit = 8; bit <= 12; ++bit)
        if (error & (1u << bit)) return kWarningTexts[bit - 8];
    return "No Warnings";
}

std::string_view MeasuringModeText(quint16 status) { return kModeTexts[status & 7]; }

std::string_view MenuStateText(quint16 status)
{
    if (status & 0x0010) return "REMOTE PROG.";
    if (status & 0x0008) return "MANUAL PROG.";
    return "MEASURING";
}

std::string_view UnitCodeText(quint8 code) { return unitTexts()[code]; }

QString _CrackErrStr(quint16 error) { return fromSingleByte(ErrorText(error)); }
QString _CrackWarningStr(quint16 error) { return fromSingleByte(WarningText(error)); }
QString UnitCodeToStr(quint8 code) { return fromSingleByte(UnitCodeText(code)); }

void CrackErrStat(const TTXRXInfo& f_device, const THART_ERRSTAT& f_errstat, THART_PAS_ERRSTAT& f_pas_errstat)
{
    f_pas_errstat.error = readBE16(f_errstat.error);
    f_pas_errstat.status = readBE16(f_errstat.status);
    _CrackErrStat(f_device.DeviceTypeID, f_pas_errstat);
}

void _CrackErrStat(quint8 /*f_DeviceTypeID: every device type shares one mode table*/,
                   THART_PAS_ERRSTAT& e)
{
    assignText(e.Errorstr, ErrorText(e.error));
    assignText(e.Warningstr, WarningText(e.error));
    assignText(e.PVmodestr, MeasuringModeText(e.status));
    const auto bit = [s = e.status](int n) { return (s & (1u << n)) != 0; };
    e.SimulationActive = bit(5);
    e.UPSWPresent = bit(6);
    e.Relay = bit(7);
    e.ULockActive = bit(8);
    e.FLocked = bit(9);
    e.DiagBurstActive = bit(11);
    e.LoggerOpened = bit(12);
    e.CalibrationActive = bit(13);
    e.PVValid = bit(14);
    assignText(e.MenuStateStr, MenuStateText(e.status));
}

} // namespace quentry
