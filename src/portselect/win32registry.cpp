#include "win32registry.h"

#include "dwordvalue.h"

namespace duvane {
namespace {

// Key and value names here are ASCII, but go through the wide API so nothing depends on
// the system code page.
std::wstring Widen(const std::string& text)
{
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

class Win32Key : public RegistryKey
{
public:
    explicit Win32Key(HKEY key) : m_key(key) {}
    ~Win32Key() override { RegCloseKey(m_key); }
    Win32Key(const Win32Key&) = delete;
    Win32Key& operator=(const Win32Key&) = delete;

    bool readDword(const std::string& name, std::uint32_t& value) override
    {
        // One byte more than a DWORD, so a longer value shows up as too long rather than
        // as ERROR_MORE_DATA being mistaken for anything else.
        BYTE bytes[5] = {};
        DWORD size = sizeof bytes;
        DWORD type = 0;
        if (RegQueryValueExW(m_key, Widen(name).c_str(), nullptr, &type, bytes, &size) != ERROR_SUCCESS)
            return false;
        const auto decoded = DecodeDword(bytes, size);
        if (!decoded) return false;
        value = *decoded;
        return true;
    }

    bool writeDword(const std::string& name, std::uint32_t value) override
    {
        const auto bytes = EncodeDword(value);
        return RegSetValueExW(m_key, Widen(name).c_str(), 0, REG_DWORD, bytes.data(),
                              static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
    }

private:
    HKEY m_key;
};

} // namespace

std::unique_ptr<RegistryKey> Win32Registry::openKey(const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(m_root, Widen(path).c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32Key>(key);
}

std::unique_ptr<RegistryKey> Win32Registry::createKey(const std::string& path)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    std::wstring keyClass = L"DWORD";
    if (RegCreateKeyExW(m_root, Widen(path).c_str(), 0, keyClass.data(), REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, &disposition) != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<Win32Key>(key);
}

bool Win32Registry::deleteKey(const std::string& path)
{
    return RegDeleteKeyW(m_root, Widen(path).c_str()) == ERROR_SUCCESS;
}

} // namespace duvane
