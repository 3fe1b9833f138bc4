#include "job/read_only_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scratch_dir.h"
#include "test_platform.h"

namespace trelvo {
namespace {

TEST(ReadOnlyFile, OpensRegularFilesOnly) {
    ScratchDir dir;
    const std::string file = dir.Write("a.sh", "echo");
    std::filesystem::create_directory(dir.PathOf("folder.sh"));
    ReadOnlyFile opened;
    EXPECT_TRUE(opened.Open(file));
    EXPECT_EQ(opened.Size(), 4u);
    for (const std::string& name :
         {dir.PathOf("folder.sh"), dir.PathOf("missing.sh"), std::string()}) {
        ReadOnlyFile refused;
        EXPECT_FALSE(refused.Open(name)) << name;
        EXPECT_FALSE(refused.IsOpen()) << name;
    }
}

TEST(ReadOnlyFile, ReadsTheBytesAsTheyAreUpToTheEnd) {
    ScratchDir dir;
    const std::string content("a\r\nb\n\x1A\r\x00z", 9);
    ReadOnlyFile file;
    ASSERT_TRUE(file.Open(dir.Write("a.sh", content)));
    std::vector<std::uint8_t> buffer(16);
    EXPECT_EQ(file.Read(buffer.data(), 4), 4u);
    EXPECT_EQ(file.Read(buffer.data() + 4, 16), 5u);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 9), content);
    EXPECT_EQ(file.Read(buffer.data(), 16), 0u);
    file.Close();
    EXPECT_EQ(file.Read(buffer.data(), 16), 0u);
}

// Past 4 GiB, where a 32-bit size would wrap to a small one.
TEST(ReadOnlyFile, SizesInSixtyFourBits) {
    ScratchDir dir;
    const std::string path = dir.Write("huge.sh", "");
    ResizeTestFile(path, 0x100000005ULL);  // sparse: takes no disk space
    ReadOnlyFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(file.Size(), 0x100000005ULL);
}

// While a job streams the file, nobody may change or remove it under it.
TEST(ReadOnlyFile, OthersMayReadButNotWriteOrDeleteWhileItIsOpen) {
#ifndef _WIN32
    GTEST_SKIP() << "POSIX has no share modes: others keep every right to an open file";
#endif
    ScratchDir dir;
    const std::string path = dir.Write("a.sh", "echo");
    {
        ReadOnlyFile file;
        ASSERT_TRUE(file.Open(path));
        EXPECT_TRUE(std::ifstream(path, std::ios::binary).is_open());
        EXPECT_FALSE(std::ofstream(path, std::ios::binary | std::ios::app).is_open());
        std::error_code error;
        EXPECT_FALSE(std::filesystem::remove(path, error));
        EXPECT_TRUE(std::filesystem::exists(path));
    }
    std::error_code error;
    EXPECT_TRUE(std::filesystem::remove(path, error)) << error.message();
}

}  // namespace
}  // namespace trelvo
