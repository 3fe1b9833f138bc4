#include "tools/recorder-sim/disk_file_sink.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "scratch_dir.h"

namespace trelvo {
namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::size_t FileCount(const std::filesystem::path& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                  std::filesystem::directory_iterator{}));
}

const recorder_wire::Bytes kContent = {'e', 'c', 'h', 'o', '\n'};

TEST(SaveSinks, SaveDirNamesTheFileByConnectionAndRemoteName) {
    const ScratchDir dir;
    const SinkFactory sinks = MakeSaveSinks("", dir.path().string(), 7);
    auto sink = sinks("/tmp/up date;1.sh", 5);
    ASSERT_TRUE(sink->Write(kContent));
    EXPECT_EQ(sink->Commit(), dir.PathOf("conn-7-up_date_1.sh"));
    EXPECT_EQ(ReadAll(dir.PathOf("conn-7-up_date_1.sh")), "echo\n");
    EXPECT_EQ(FileCount(dir.path()), 1u);
}

TEST(SaveSinks, UnfinishedFileLeavesNothingBehind) {
    const ScratchDir dir;
    const std::string path = dir.PathOf("got.sh");
    {
        auto sink = MakeSaveSinks(path, "", 1)("/tmp/a.sh", 10);
        ASSERT_TRUE(sink->Write(kContent));
    }
    EXPECT_EQ(FileCount(dir.path()), 0u);
}

TEST(SaveSinks, UnwritableFolderIsReportedNotCrashed) {
    const ScratchDir dir;
    auto sink = MakeSaveSinks(dir.PathOf("missing/got.sh"), "", 1)("/tmp/a.sh", 5);
    EXPECT_FALSE(sink->Write(kContent));
    EXPECT_FALSE(sink->Commit());
    EXPECT_NE(sink->Error().find("missing"), std::string::npos);
}

TEST(SaveSinks, NoneWithoutSaveOptions) {
    EXPECT_FALSE(MakeSaveSinks("", "", 1));
}

}  // namespace
}  // namespace trelvo
