#pragma once
// The registry as Duvane needs it: keys opened or created under one root
// (HKEY_LOCAL_MACHINE on Windows) that hold 4-byte DWORD values. Plain C++ so the
// Windows implementation builds without Qt.
#include <cstdint>
#include <memory>
#include <string>

namespace duvane {

// An open key. Destroying it closes the key, so no action can leave one open.
class RegistryKey
{
public:
    virtual ~RegistryKey() = default;
    // Reads a value that is exactly 4 bytes, little-endian. A missing value, or one of
    // any other size, is a failure; value is then left alone.
    virtual bool readDword(const std::string& name, std::uint32_t& value) = 0;
    // Writes a REG_DWORD (4 bytes, little-endian).
    virtual bool writeDword(const std::string& name, std::uint32_t value) = 0;
};

class RegistryStore
{
public:
    virtual ~RegistryStore() = default;
    // Opens an existing key with full access; null when it does not exist or cannot be opened.
    // Key paths use backslashes, as on Windows: "System\\CurrentControlSet\\...".
    virtual std::unique_ptr<RegistryKey> openKey(const std::string& path) = 0;
    // Creates the key (and missing parents) non-volatile with class "DWORD", or opens it
    // when it exists; full access. Null on failure.
    virtual std::unique_ptr<RegistryKey> createKey(const std::string& path) = 0;
    // Removes a key that has no subkeys, with its values. False when it could not be removed.
    virtual bool deleteKey(const std::string& path) = 0;
};

} // namespace duvane
