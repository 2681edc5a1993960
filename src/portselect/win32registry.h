#pragma once
// The registry itself, through the Win32 API. Windows only.
#include "registrystore.h"

#include <windows.h>

namespace duvane {

class Win32Registry : public RegistryStore
{
public:
    explicit Win32Registry(HKEY root = HKEY_LOCAL_MACHINE) : m_root(root) {}

    std::unique_ptr<RegistryKey> openKey(const std::string& path) override;
    std::unique_ptr<RegistryKey> createKey(const std::string& path) override;
    bool deleteKey(const std::string& path) override;

private:
    HKEY m_root;
};

} // namespace duvane
