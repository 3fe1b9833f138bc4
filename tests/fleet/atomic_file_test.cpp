#include "fleet/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "scratch_dir.h"
#include "text/utf8_path.h"

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace trelvo {
namespace {

// The scratch folder's name as UTF-8, the form the writer takes.
std::string Utf8Folder(const ScratchDir& scratch) {
    const std::u8string folder = scratch.path().u8string();
    return {folder.begin(), folder.end()};
}

std::string Read(const std::string& utf8) {
    std::ifstream in(*Utf8Path(utf8), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const std::string& utf8, const std::string& content) {
    std::ofstream(*Utf8Path(utf8), std::ios::binary) << content;
}

// What the folder holds, by UTF-8 name.
std::set<std::string> Names(const ScratchDir& scratch) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(scratch.path())) {
        const std::u8string name = entry.path().filename().u8string();
        names.emplace(name.begin(), name.end());
    }
    return names;
}

TEST(AtomicFile, ReplacesTheTargetWithWhatWasWritten) {
    struct Case {
        const char* name;
        const char* before;  // null: no file yet
        std::string written;
    };
    const Case cases[] = {
        {"report.json", nullptr, "{\"ok\":true}\n"},
        {"report.json", "a much longer report than the new one\n", "short\n"},
        {"report.json", "old\n", ""},
        {"Bericht f\u00fcr B\u00fcro \u0416.json", "old\n", std::string(300000, 'x')},
    };
    for (const Case& c : cases) {
        const ScratchDir scratch;
        const std::string path = Utf8Folder(scratch) + "/" + c.name;
        if (c.before != nullptr) {
            Put(path, c.before);
        }
        AtomicFile file(path);
        ASSERT_TRUE(file.Open()) << file.error();
        file.Write(c.written.substr(0, c.written.size() / 2));
        file.Write(c.written.substr(c.written.size() / 2));
        EXPECT_TRUE(file.Commit()) << file.error();
        EXPECT_EQ(Read(path), c.written) << c.name;
        EXPECT_EQ(Names(scratch), std::set<std::string>{c.name});
    }
}

// Ended before Commit (a crash, an exception, an interrupted run): the old
// file stays as it was, and nothing else is left beside it.
TEST(AtomicFile, AWriterEndedHalfWayLeavesTheTargetWhole) {
    for (const bool existed : {true, false}) {
        const ScratchDir scratch;
        const std::string path = Utf8Folder(scratch) + "/hosts";
        if (existed) {
            Put(path, "10.0.0.1 10.0.0.1 #\n");
        }
        {
            AtomicFile file(path);
            ASSERT_TRUE(file.Open()) << file.error();
            file.Write("10.0.0.9 10.0.0.9 # half");
            EXPECT_EQ(Names(scratch).size(), existed ? 2u : 1u);
        }
        EXPECT_EQ(Names(scratch),
                  existed ? std::set<std::string>{"hosts"} : std::set<std::string>{});
        if (existed) {
            EXPECT_EQ(Read(path), "10.0.0.1 10.0.0.1 #\n");
        }
    }
}

TEST(AtomicFile, AFolderThatTakesNoFileIsRefusedAtOpen) {
    const ScratchDir scratch;
    const std::string folder = Utf8Folder(scratch);
    Put(folder + "/plain", "not a folder");
    for (const std::string& path : {folder + "/missing/report.json", folder + "/plain/report.json",
                                    folder + std::string("/nul\0.json", 10)}) {
        AtomicFile file(path);
        EXPECT_FALSE(file.Open()) << path;
        EXPECT_FALSE(file.error().empty()) << path;
        EXPECT_FALSE(file.Commit()) << path;
    }
    EXPECT_EQ(Names(scratch), std::set<std::string>{"plain"});
}

// The rename fails where a folder stands under the target's name: the
// folder stays, and the temporary file goes.
TEST(AtomicFile, AFailedRenameLeavesTheTargetAndRemovesTheTemporaryFile) {
    const ScratchDir scratch;
    const std::string path = Utf8Folder(scratch) + "/report.json";
    std::filesystem::create_directory(*Utf8Path(path));
    Put(path + "/inside", "kept");
    AtomicFile file(path);
    ASSERT_TRUE(file.Open()) << file.error();
    file.Write("new\n");
    EXPECT_FALSE(file.Commit());
    EXPECT_FALSE(file.error().empty());
    EXPECT_EQ(Names(scratch), std::set<std::string>{"report.json"});
    EXPECT_EQ(Read(path + "/inside"), "kept");
}

// A write the system refuses half-way (here the file size limit, as a full
// disk would): Commit fails and the old file stays whole.
TEST(AtomicFile, AFailedWriteFailsTheCommitAndLeavesTheTargetWhole) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no file size limit to set";
#else
    const ScratchDir scratch;
    const std::string path = Utf8Folder(scratch) + "/report.json";
    Put(path, "old\n");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool committed = true;
    std::string error;
    {
        AtomicFile file(path);
        if (file.Open()) {
            file.Write(std::string(3000, 'a'));
            file.Write(std::string(3000, 'b'));
            committed = file.Commit();
            error = file.error();
        }
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(committed);
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(Read(path), "old\n");
    EXPECT_EQ(Names(scratch), std::set<std::string>{"report.json"});
#endif
}

}  // namespace
}  // namespace trelvo
