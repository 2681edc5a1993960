// Runs the Windows registry layer against a real registry (under Wine in ./dev test-windows):
// the RS-485 key is created, written, read back and removed again, and what landed in the
// registry is checked with the raw API, not only through the layer itself.
#include "dwordvalue.h"
#include "rs485setting.h"
#include "win32registry.h"

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

int g_failures = 0;

void Check(bool ok, const char* what)
{
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
    if (!ok) ++g_failures;
}

std::wstring Wide(const char* text)
{
    std::wstring wide;
    for (; *text; ++text) wide += static_cast<wchar_t>(*text);
    return wide;
}

} // namespace

int main()
{
    using namespace duvane;
    const std::string path = kRs485KeyPath;
    const std::wstring widePath = Wide(kRs485KeyPath);
    Win32Registry registry(HKEY_LOCAL_MACHINE);

    registry.deleteKey(path); // a key left by an earlier, interrupted run
    Check(registry.openKey(path) == nullptr, "a missing key does not open");

    {
        auto key = registry.createKey(path);
        Check(key != nullptr, "the key is created under HKEY_LOCAL_MACHINE");
        if (!key) return 1;
        Check(key->writeDword(kRs485ValueName, 760), "760 is written");
    }

    {
        HKEY raw = nullptr;
        Check(RegOpenKeyExW(HKEY_LOCAL_MACHINE, widePath.c_str(), 0, KEY_READ | KEY_SET_VALUE, &raw) == ERROR_SUCCESS,
              "the raw API opens the key");
        DWORD type = 0;
        BYTE bytes[8] = {};
        DWORD size = sizeof bytes;
        Check(RegQueryValueExW(raw, Wide(kRs485ValueName).c_str(), nullptr, &type, bytes, &size) == ERROR_SUCCESS &&
                  type == REG_DWORD && size == 4 && bytes[0] == 0xF8 && bytes[1] == 0x02 && bytes[2] == 0 &&
                  bytes[3] == 0,
              "stored as REG_DWORD F8 02 00 00");
        wchar_t keyClass[16] = {};
        DWORD classLength = 16;
        Check(RegQueryInfoKeyW(raw, keyClass, &classLength, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                  std::wcscmp(keyClass, L"DWORD") == 0,
              "the key's class is DWORD");
        const BYTE shortValue[2] = {0xF8, 0x03};
        Check(RegSetValueExW(raw, L"Short", 0, REG_BINARY, shortValue, 2) == ERROR_SUCCESS,
              "a 2-byte value is planted beside it");
        RegCloseKey(raw);
    }

    {
        auto key = registry.openKey(path);
        Check(key != nullptr, "the key opens with full access");
        if (!key) return 1;
        std::uint32_t value = 0;
        Check(key->readDword(kRs485ValueName, value) && value == 760, "760 is read back");
        value = 12345;
        Check(!key->readDword("NoSuchValue", value) && value == 12345, "a missing value fails to read");
        Check(!key->readDword("Short", value) && value == 12345, "a value that is not 4 bytes fails to read");
    }

    {
        auto again = registry.createKey(path);
        std::uint32_t value = 0;
        Check(again != nullptr && again->readDword(kRs485ValueName, value) && value == 760,
              "creating an existing key opens it and keeps its value");
    }

    Check(registry.deleteKey(path), "the key is deleted");
    Check(registry.openKey(path) == nullptr, "the deleted key no longer opens");

    std::printf("%s\n", g_failures == 0 ? "registry round trip passed" : "registry round trip FAILED");
    return g_failures == 0 ? 0 : 1;
}
