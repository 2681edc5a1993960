#pragma once
// Every number this program writes uses "." as its decimal separator, whatever the
// system's settings: exported files and shown values must read the same on every PC.
namespace quentry {

// Sets the C conventions for number formatting for the whole process: the C library's
// LC_NUMERIC and Qt's default locale. Call it once at start, after the QCoreApplication
// exists (on Unix its constructor takes the locale from the environment).
void UseDotDecimalSeparator();

} // namespace quentry
