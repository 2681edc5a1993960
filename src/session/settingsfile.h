#pragma once
// The settings file: the link settings (port, protocol, adapter, time-out, quick replies) in the INI
// file "Quentry.ini", section "Main", read once at start and written once at close.
#include "linktypes.h"
#include "userfeedback.h"

#include <QString>

namespace quentry {

class TCOMEngine;

// Where the file is read from and written to. On Windows the site directory is
// "c:\meres\", elsewhere it comes from QUENTRY_SITE_DIR; the fallback is the per-user
// configuration directory everywhere (an installed executable's directory is not writable).
struct TSettingsLocation
{
    QString siteDir;     // may be empty: no site directory
    QString fallbackDir;

    static constexpr const char* kFileName = "Quentry.ini";
    static constexpr const char* kSiteDirVariable = "QUENTRY_SITE_DIR";

    static TSettingsLocation Default();
    // The site file when it exists, otherwise the fallback file.
    QString ReadPath() const;
    // The site file when the site directory exists, otherwise the fallback file.
    QString WritePath() const;
};

// The keys of section "Main" as read, defaults filled in for absent or unreadable values.
struct TStoredSettings
{
    bool OpenComAtStart = true;
    int ComPort = 1;
    QString ComPortName; // "ComPortName": the whole name of a port "COM<n>" cannot name
    int Protocol = prt_HART;
    int Adapter = 0;     // 0 HART modem, 1 USB link adapter, 2 IrDA RS232, 3 IrDA TAMBO
    int IrDAAdapter = 0;
    int TimeOut = 150;   // ms
    bool QuickReplies = false; // "QuickReplies=1": end a reply as soon as it is complete
    QString HistoryFile;       // "HistoryFile": the site history elsewhere (relative: to this file's directory)
    int ClockWarnSeconds = 60; // "ClockWarnSeconds": a clock off by more is warned about
};

// What the communication setup dialog shows after the start.
struct TComSetupValues
{
    TProtokoll Protokoll = prt_HART;
    int AdapterCode = 0;  // 0 to 3, as in the dialog's adapter list
    int IrDAAdapter = 0;  // iratype_RS232 or iratype_TAMBO
    int CycleTime = 150;  // ms: the engine's byte gap
    bool QuickReplies = false;
};

// Reads the file at path (absent file or keys: defaults). Values outside their range take
// their defaults: a protocol the engine does not know, an adapter code beyond 3, an IrDA
// type beyond 1.
TStoredSettings ReadSettingsFile(const QString& path);

// The adapter code of the engine's adapter and IrDA variant (3 for IrDA TAMBO).
int AdapterCodeOf(const TCOMEngine& engine);

// The engine's adapter and IrDA variant for an adapter code: 3 is the IrDA link in its
// TAMBO variant, every other code the adapter of that number with the RS232 variant.
void ApplyAdapterCode(TCOMEngine& engine, int code);

// Applies the read file to the engine and returns what the setup dialog shows. When
// openPort is set and the file asks for it, opens the port (by its whole name when the
// file holds one, else COM<low byte of ComPort>).
TComSetupValues LoadSettings(TCOMEngine& engine, const TSettingsLocation& location, bool openPort = true);

// Writes the engine's port, protocol, adapter code, time-out and quick replies (the key
// only while they are on, so a file without it keeps the byte-gap behaviour). A file that cannot be
// written is reported once through feedback and gives false; nothing else stops.
bool SaveSettings(const TCOMEngine& engine, const TSettingsLocation& location, TUserFeedback& feedback);

} // namespace quentry
