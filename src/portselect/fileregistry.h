#pragma once
// Where there is no Windows registry: keys are directories under a root directory that
// stands for HKEY_LOCAL_MACHINE, and each value is a file holding its raw bytes (a DWORD:
// 4 bytes, little-endian). Any of its operations can be made to fail on purpose, so every
// error path of the dialog can be exercised.
#include "registrystore.h"

#include <filesystem>

namespace duvane {

class FileRegistry : public RegistryStore
{
public:
    enum class Operation { Open, Create, Write, Read };

    explicit FileRegistry(std::filesystem::path root);

    std::unique_ptr<RegistryKey> openKey(const std::string& path) override;
    std::unique_ptr<RegistryKey> createKey(const std::string& path) override;
    bool deleteKey(const std::string& path) override;

    // From now on the operation fails (or works again) whatever the files say.
    void setFailing(Operation operation, bool failing);
    bool isFailing(Operation operation) const;

    // Keys handed out and not yet closed. Keys must be closed before the store goes.
    int openKeyCount() const { return m_openKeys; }

    const std::filesystem::path& root() const { return m_root; }

private:
    friend class FileRegistryKey;

    // The directory of a key path; empty when the path has an empty, "." or ".." part or
    // one with a slash, which could otherwise reach outside the root.
    std::filesystem::path directoryOf(const std::string& keyPath) const;
    std::unique_ptr<RegistryKey> handOut(const std::filesystem::path& directory);

    std::filesystem::path m_root;
    unsigned m_failing = 0;
    int m_openKeys = 0;
};

} // namespace duvane
