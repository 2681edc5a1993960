// The file-backed registry: what it stores, what it refuses, and how it fails.
#include "fileregistry.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

using duvane::FileRegistry;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

class FileRegistryTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    fs::path root = fs::path(dir.path().toStdString()) / "hklm";
    FileRegistry store{root};
};

} // namespace

TEST_F(FileRegistryTest, KeysAreDirectoriesAndDwordsAreFourLittleEndianBytes)
{
    EXPECT_EQ(store.openKey("A\\B"), nullptr);
    {
        auto key = store.createKey("A\\B");
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(store.openKeyCount(), 1);
        EXPECT_TRUE(key->writeDword("Value", 0x12345678));
    }
    EXPECT_EQ(store.openKeyCount(), 0);
    EXPECT_EQ(ReadAll(root / "A" / "B" / "Value"), std::string("\x78\x56\x34\x12", 4));
    // No temporary file is left beside the value.
    EXPECT_EQ(std::distance(fs::directory_iterator(root / "A" / "B"), fs::directory_iterator()), 1);

    auto again = store.createKey("A\\B"); // an existing key opens with its values
    std::uint32_t value = 0;
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->readDword("Value", value));
    EXPECT_EQ(value, 0x12345678u);
}

TEST_F(FileRegistryTest, OnlyValuesOfExactlyFourBytesRead)
{
    auto key = store.createKey("K");
    ASSERT_NE(key, nullptr);
    for (const std::string& bytes : {std::string(), std::string("\xF8\x02", 2), std::string("\xF8\x02\x00", 3),
                                    std::string("\xF8\x02\x00\x00\x00", 5)}) {
        WriteAll(root / "K" / "V", bytes);
        std::uint32_t value = 7;
        EXPECT_FALSE(key->readDword("V", value)) << bytes.size() << " bytes";
        EXPECT_EQ(value, 7u);
    }
    std::uint32_t value = 7;
    EXPECT_FALSE(key->readDword("Missing", value));
}

TEST_F(FileRegistryTest, PathsThatCouldLeaveTheRootAreRefused)
{
    fs::create_directories(root);
    const std::vector<std::string> paths = {"", "..", "A\\..\\..\\escape", "A\\\\B", "A\\.", "A/B", "\\A", "A\\"};
    for (const auto& path : paths) {
        EXPECT_EQ(store.createKey(path), nullptr) << path;
        EXPECT_EQ(store.openKey(path), nullptr) << path;
        EXPECT_FALSE(store.deleteKey(path)) << path;
    }
    auto key = store.createKey("K");
    ASSERT_NE(key, nullptr);
    const std::vector<std::string> names = {"", "..", "../x", "a\\b"};
    for (const auto& name : names) EXPECT_FALSE(key->writeDword(name, 1)) << name;
    EXPECT_FALSE(fs::exists(root.parent_path() / "escape"));
    EXPECT_FALSE(fs::exists(root.parent_path() / "x"));
}

TEST_F(FileRegistryTest, FilesystemFailuresAreReportedAsFailures)
{
    // The root is a plain file: nothing opens and nothing can be created below it.
    WriteAll(root, "not a directory");
    EXPECT_EQ(store.openKey("K"), nullptr);
    EXPECT_EQ(store.createKey("K"), nullptr);
    fs::remove(root);

    // A value that is a directory can be neither read nor overwritten.
    auto key = store.createKey("K");
    ASSERT_NE(key, nullptr);
    fs::create_directories(root / "K" / "V" / "inside");
    std::uint32_t value = 0;
    EXPECT_FALSE(key->readDword("V", value));
    EXPECT_FALSE(key->writeDword("V", 1));
    EXPECT_TRUE(fs::exists(root / "K" / "V" / "inside"));
    EXPECT_FALSE(fs::exists(root / "K" / ".V.new"));
}

TEST_F(FileRegistryTest, DeletingAKeyTakesItsValuesButNotAKeyWithSubkeys)
{
    store.createKey("A\\B")->writeDword("V", 1);
    EXPECT_FALSE(store.deleteKey("A"));
    EXPECT_NE(store.openKey("A\\B"), nullptr);
    EXPECT_TRUE(store.deleteKey("A\\B"));
    EXPECT_EQ(store.openKey("A\\B"), nullptr);
    EXPECT_FALSE(store.deleteKey("A\\B"));
}

TEST_F(FileRegistryTest, EachOperationCanBeMadeToFail)
{
    store.createKey("K")->writeDword("V", 1);
    auto key = store.openKey("K");
    ASSERT_NE(key, nullptr);

    store.setFailing(FileRegistry::Operation::Read, true);
    std::uint32_t value = 0;
    EXPECT_FALSE(key->readDword("V", value));
    store.setFailing(FileRegistry::Operation::Write, true);
    EXPECT_FALSE(key->writeDword("V", 2));
    store.setFailing(FileRegistry::Operation::Open, true);
    EXPECT_EQ(store.openKey("K"), nullptr);
    store.setFailing(FileRegistry::Operation::Create, true);
    EXPECT_EQ(store.createKey("K"), nullptr);

    for (auto op : {FileRegistry::Operation::Open, FileRegistry::Operation::Create, FileRegistry::Operation::Write,
                    FileRegistry::Operation::Read})
        store.setFailing(op, false);
    EXPECT_TRUE(key->readDword("V", value));
    EXPECT_EQ(value, 1u); // the refused write changed nothing
}
