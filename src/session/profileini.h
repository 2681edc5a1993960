#pragma once
// The settings file's INI dialect as the Windows profile functions read it: sections,
// key=value lines, the settings file's names found whatever their case, values as plain
// text. QSettings' own INI
// reader turns values beginning with "@Variant(" and the like into deserialized objects,
// and a few bytes of such a value can ask for gigabytes; this reader never interprets a
// value, and refuses files larger than any settings file.
#include <QSettings>

namespace quentry {

constexpr qint64 kMaxProfileIniSize = 1 << 20;

// The QSettings format backed by ReadProfileIni / WriteProfileIni; registered once.
QSettings::Format ProfileIniFormat();

bool ReadProfileIni(QIODevice& device, QSettings::SettingsMap& map);
bool WriteProfileIni(QIODevice& device, const QSettings::SettingsMap& map);

} // namespace quentry
