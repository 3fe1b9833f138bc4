// What the kernel alone charges a sender for a fleet's file blocks: the
// same number of connections over loopback, each sent the same blocks at
// the same 50 ms pace, by a loop that does nothing else. A sink thread in
// this process reads and drops the bytes; only the sending thread's CPU is
// counted. Prints
//   floor_cpu_s=X floor_cpu_s_per_gb=X floor_last_block_s=X
// where floor_last_block_s is when the last blocks went out, from the first
// ones: (BLOCKS - 1) ticks when the loop keeps its pace, more when one
// thread cannot make a tick's sends within the tick.
// On loopback the receiving side's protocol work runs in the sender's
// system calls, so this is the least any sender can use for these sends.
//   send_floor CONNECTIONS BLOCK_BYTES BLOCKS
//   send_floor --sink
// The second only receives, for send_floor_winsock under Wine: it prints
//   listening on 127.0.0.1:PORT
// and reads and drops what arrives until its standard input ends.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "cpu_seconds.h"

namespace {

constexpr auto kTick = std::chrono::milliseconds(50);

// Accepts and reads everything until `stop`; nothing it does is counted.
void Sink(int listener, const std::atomic<bool>& stop) {
    const int epoll = epoll_create1(EPOLL_CLOEXEC);
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = listener;
    epoll_ctl(epoll, EPOLL_CTL_ADD, listener, &event);
    std::vector<char> buffer(std::size_t{256} * 1024);
    std::array<epoll_event, 256> ready{};
    while (!stop) {
        const int count = epoll_wait(epoll, ready.data(), static_cast<int>(ready.size()), 100);
        for (int i = 0; i < count; ++i) {
            const int fd = ready[i].data.fd;
            if (fd != listener) {
                if (read(fd, buffer.data(), buffer.size()) <= 0) {
                    close(fd);
                }
                continue;
            }
            for (int peer; (peer = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK)) >= 0;) {
                event.data.fd = peer;
                epoll_ctl(epoll, EPOLL_CTL_ADD, peer, &event);
            }
        }
    }
    close(epoll);
}

}  // namespace

int main(int argc, char** argv) {
    const bool sinkOnly = argc == 2 && std::strcmp(argv[1], "--sink") == 0;
    if (argc != 4 && !sinkOnly) {
        std::fprintf(stderr, "usage: send_floor CONNECTIONS BLOCK_BYTES BLOCKS | --sink\n");
        return 2;
    }
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, SOMAXCONN) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("send_floor: listen");
        return 1;
    }
    std::atomic<bool> stop = false;
    std::thread sink(Sink, listener, std::cref(stop));
    if (sinkOnly) {
        std::printf("listening on 127.0.0.1:%u\n", ntohs(address.sin_port));
        std::fflush(stdout);
        for (char byte = 0; read(STDIN_FILENO, &byte, 1) > 0;) {
        }
        stop = true;
        sink.join();
        return 0;
    }
    const int connections = std::atoi(argv[1]);
    const std::size_t blockBytes = std::strtoul(argv[2], nullptr, 10);
    const int blocks = std::atoi(argv[3]);

    std::vector<int> sockets;
    for (int i = 0; i < connections; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            std::perror("send_floor: connect");
            return 1;
        }
        sockets.push_back(fd);
    }
    const std::vector<char> block(blockBytes, 'x');
    const double before = CpuSeconds(RUSAGE_THREAD);
    const auto start = std::chrono::steady_clock::now();
    auto due = start;
    auto lastBlock = start;
    double sentBytes = 0;
    for (int step = 0; step < blocks; ++step) {
        for (const int fd : sockets) {
            const ssize_t sent = send(fd, block.data(), block.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
            sentBytes += static_cast<double>(std::max<ssize_t>(sent, 0));
        }
        lastBlock = std::chrono::steady_clock::now();
        due += kTick;
        std::this_thread::sleep_until(due);
    }
    const double cpu = CpuSeconds(RUSAGE_THREAD) - before;
    for (const int fd : sockets) {
        close(fd);
    }
    stop = true;
    sink.join();
    close(listener);
    const double gigabytes = sentBytes / 1e9;
    const std::chrono::duration<double> lastBlockSeconds = lastBlock - start;
    std::printf("floor_cpu_s=%.2f floor_cpu_s_per_gb=%.3f floor_last_block_s=%.3f\n", cpu,
                cpu / gigabytes, lastBlockSeconds.count());
    return 0;
}
