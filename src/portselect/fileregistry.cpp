#include "fileregistry.h"

#include "dwordvalue.h"

#include <fstream>
#include <system_error>

namespace duvane {
namespace fs = std::filesystem;

namespace {

bool IsSafeName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

// Writes the new content beside the value and renames it over, so a failed write leaves
// the old value whole.
bool ReplaceFile(const fs::path& target, const std::uint8_t* data, std::size_t size)
{
    const fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".new");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

} // namespace

class FileRegistryKey : public RegistryKey
{
public:
    FileRegistryKey(FileRegistry& store, fs::path directory) : m_store(store), m_directory(std::move(directory))
    {
        ++m_store.m_openKeys;
    }
    ~FileRegistryKey() override { --m_store.m_openKeys; }
    FileRegistryKey(const FileRegistryKey&) = delete;
    FileRegistryKey& operator=(const FileRegistryKey&) = delete;

    bool readDword(const std::string& name, std::uint32_t& value) override
    {
        if (m_store.isFailing(FileRegistry::Operation::Read) || !IsSafeName(name)) return false;
        const fs::path file = m_directory / name;
        std::error_code error;
        if (!fs::is_regular_file(file, error)) return false;
        std::ifstream in(file, std::ios::binary);
        if (!in) return false;
        // One byte more than a DWORD tells a longer value from a DWORD without reading it all.
        std::uint8_t bytes[5] = {};
        in.read(reinterpret_cast<char*>(bytes), sizeof bytes);
        const auto decoded = DecodeDword(bytes, static_cast<std::size_t>(in.gcount()));
        if (!decoded) return false;
        value = *decoded;
        return true;
    }

    bool writeDword(const std::string& name, std::uint32_t value) override
    {
        if (m_store.isFailing(FileRegistry::Operation::Write) || !IsSafeName(name)) return false;
        const auto bytes = EncodeDword(value);
        return ReplaceFile(m_directory / name, bytes.data(), bytes.size());
    }

private:
    FileRegistry& m_store;
    fs::path m_directory;
};

FileRegistry::FileRegistry(fs::path root) : m_root(std::move(root)) {}

fs::path FileRegistry::directoryOf(const std::string& keyPath) const
{
    fs::path directory = m_root;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = keyPath.find('\\', start);
        const std::string part = keyPath.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!IsSafeName(part)) return {};
        directory /= part;
        if (end == std::string::npos) return directory;
        start = end + 1;
    }
}

std::unique_ptr<RegistryKey> FileRegistry::handOut(const fs::path& directory)
{
    return std::make_unique<FileRegistryKey>(*this, directory);
}

std::unique_ptr<RegistryKey> FileRegistry::openKey(const std::string& path)
{
    if (isFailing(Operation::Open)) return nullptr;
    const fs::path directory = directoryOf(path);
    std::error_code error;
    if (directory.empty() || !fs::is_directory(directory, error)) return nullptr;
    return handOut(directory);
}

std::unique_ptr<RegistryKey> FileRegistry::createKey(const std::string& path)
{
    if (isFailing(Operation::Create)) return nullptr;
    const fs::path directory = directoryOf(path);
    if (directory.empty()) return nullptr;
    std::error_code error;
    fs::create_directories(directory, error);
    if (error || !fs::is_directory(directory, error)) return nullptr;
    return handOut(directory);
}

bool FileRegistry::deleteKey(const std::string& path)
{
    const fs::path directory = directoryOf(path);
    std::error_code error;
    if (directory.empty() || !fs::is_directory(directory, error)) return false;
    // Like the registry: a key with subkeys stays.
    for (const auto& entry : fs::directory_iterator(directory, error))
        if (entry.is_directory(error)) return false;
    if (error) return false;
    fs::remove_all(directory, error);
    return !error;
}

void FileRegistry::setFailing(Operation operation, bool failing)
{
    const unsigned bit = 1u << static_cast<unsigned>(operation);
    m_failing = failing ? (m_failing | bit) : (m_failing & ~bit);
}

bool FileRegistry::isFailing(Operation operation) const
{
    return (m_failing & (1u << static_cast<unsigned>(operation))) != 0;
}

} // namespace duvane
