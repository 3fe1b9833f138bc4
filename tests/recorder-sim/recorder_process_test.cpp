// Starts the real executable and runs one update against it over loopback.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "client_stream.h"

extern char** environ;

namespace trelvo {
namespace {

class SimulatorProcess {
public:
    explicit SimulatorProcess(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0) {
            throw std::runtime_error("pipe");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        args.insert(args.begin(), RECORDER_SIM_PATH);
        std::vector<char*> argv;
        argv.reserve(args.size() + 1);
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        const int spawned =
            posix_spawn(&pid_, RECORDER_SIM_PATH, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        stdout_ = fdopen(out[0], "r");
        if (spawned != 0 || stdout_ == nullptr) {
            throw std::runtime_error("cannot start " RECORDER_SIM_PATH);
        }
    }
    ~SimulatorProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        std::fclose(stdout_);
    }

    std::string ReadLine() {
        char line[512] = {};
        return std::fgets(line, sizeof line, stdout_) ? std::string(line) : std::string();
    }
    int Wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    std::FILE* stdout_ = nullptr;
};

int Connect(std::uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Reads until `count` bytes are in or the peer stops sending; what came.
Bytes ReceiveBytes(int fd, std::size_t count) {
    Bytes bytes(count);
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = recv(fd, bytes.data() + got, count - got, 0);
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

std::uint16_t ListeningPort(SimulatorProcess& sim) {
    const std::string listening = sim.ReadLine();
    EXPECT_EQ(listening.rfind("listening on 127.0.0.1:", 0), 0u) << listening;
    return static_cast<std::uint16_t>(std::stoi(listening.substr(23)));
}

// Four replies: the version reply with its 11-byte body, then three bare headers.
constexpr std::size_t kUpdateReplies = 4 * HEADER_SIZE + 11;

TEST(RecorderProcess, AfterAnUpdateItRestartsAndThenReportsTheNewVersion) {
    SimulatorProcess sim(
        {"--listen", "127.0.0.1:0", "--version-after-update", "2.0.61", "--restart-seconds", "1"});
    const std::uint16_t port = ListeningPort(sim);
    const int fd = Connect(port);
    ASSERT_GE(fd, 0);
    const Bytes stream = ClientStream("admin", "c", {'a', 'b', 'c'});
    ASSERT_EQ(send(fd, stream.data(), stream.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(stream.size()));
    const Bytes replies = ReceiveBytes(fd, kUpdateReplies);
    ASSERT_EQ(replies.size(), kUpdateReplies);
    EXPECT_EQ(replies[kUpdateReplies - HEADER_SIZE + 6], STATUS_OK);
    // The restart drops the connection, and nothing listens meanwhile.
    EXPECT_TRUE(ReceiveBytes(fd, 1).empty());
    close(fd);
    const auto restarted = std::chrono::steady_clock::now();
    EXPECT_EQ(Connect(port), -1);

    int again = -1;
    while (again < 0 && std::chrono::steady_clock::now() - restarted < std::chrono::seconds(20)) {
        usleep(50'000);
        again = Connect(port);
    }
    ASSERT_GE(again, 0);
    EXPECT_GE(std::chrono::steady_clock::now() - restarted, std::chrono::milliseconds(500));
    const Bytes query = Request(CMD_GET_VERSION, VERSION_QUERY_NETWORK);
    ASSERT_EQ(send(again, query.data(), query.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(query.size()));
    const Bytes reply = ReceiveBytes(again, HEADER_SIZE + 11);
    ASSERT_EQ(reply.size(), HEADER_SIZE + 11);
    EXPECT_EQ(std::string(reply.begin() + HEADER_SIZE + 4, reply.end() - 1), "2.0.61");
    close(again);
}

TEST(RecorderProcess, ServesOneUpdateOnAFreePortAndExitsWithItsOutcome) {
    SimulatorProcess sim({"--listen", "127.0.0.1:0", "--once"});
    const std::string listening = sim.ReadLine();
    ASSERT_EQ(listening.rfind("listening on 127.0.0.1:", 0), 0u) << listening;
    const int fd = Connect(static_cast<std::uint16_t>(std::stoi(listening.substr(23))));
    ASSERT_GE(fd, 0);

    const Bytes stream = ClientStream("admin", "c", {'a', 'b', 'c'});
    ASSERT_EQ(send(fd, stream.data(), stream.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(stream.size()));
    // Four replies: the version reply with its 11-byte body, then three bare headers.
    const std::size_t expected = 4 * HEADER_SIZE + 11;
    Bytes replies(expected + 1);
    std::size_t got = 0;
    while (got < expected) {
        const ssize_t n = recv(fd, replies.data() + got, replies.size() - got, 0);
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(replies[expected - HEADER_SIZE + 6], STATUS_OK);  // the execute reply's status
    close(fd);

    EXPECT_EQ(sim.ReadLine(),
              "conn 1: file received 3 bytes "
              "sha256=ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\n");
    EXPECT_EQ(sim.Wait(), 0);
}

}  // namespace
}  // namespace trelvo
