// What Winsock alone charges a sender for a fleet's file blocks: the same
// number of connections to a receiver at ADDRESS:PORT (bench/send_floor
// --sink, on Linux, so that under Wine only the sending runs through the
// Wine server), each sent the same blocks at the same 50 ms pace by a loop
// that does nothing else. Prints
//   winsock_floor_cpu_s=X winsock_floor_last_block_s=X
// where the CPU is the sending thread's own and winsock_floor_last_block_s
// is when the last blocks went out, from the first ones: (BLOCKS - 1)
// ticks when the loop keeps its pace, more when one thread cannot make a
// tick's sends within the tick.
//   send_floor_winsock CONNECTIONS BLOCK_BYTES BLOCKS ADDRESS PORT
// Winsock 2 brings in the rest of the API.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

constexpr auto kTick = std::chrono::milliseconds(50);

double ThreadCpuSeconds() {
    FILETIME created{}, ended{}, kernel{}, user{};
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    const auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr,
                     "usage: send_floor_winsock CONNECTIONS BLOCK_BYTES BLOCKS ADDRESS PORT\n");
        return 2;
    }
    const int connections = std::atoi(argv[1]);
    const std::size_t blockBytes = std::strtoul(argv[2], nullptr, 10);
    const int blocks = std::atoi(argv[3]);
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return 1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(std::atoi(argv[5])));
    if (inet_pton(AF_INET, argv[4], &address.sin_addr) != 1) {
        std::fprintf(stderr, "send_floor_winsock: bad address %s\n", argv[4]);
        return 2;
    }
    std::vector<SOCKET> sockets;
    for (int i = 0; i < connections; ++i) {
        const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (socket == INVALID_SOCKET ||
            connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            std::fprintf(stderr, "send_floor_winsock: connect failed (%d)\n", WSAGetLastError());
            return 1;
        }
        // Non-blocking, as the tool's own sockets are.
        u_long nonBlocking = 1;
        ioctlsocket(socket, FIONBIO, &nonBlocking);
        sockets.push_back(socket);
    }
    const std::vector<char> block(blockBytes, 'x');
    const double before = ThreadCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    auto due = start;
    auto lastBlock = start;
    for (int step = 0; step < blocks; ++step) {
        for (const SOCKET socket : sockets) {
            send(socket, block.data(), static_cast<int>(block.size()), 0);
        }
        lastBlock = std::chrono::steady_clock::now();
        due += kTick;
        std::this_thread::sleep_until(due);
    }
    const double cpu = ThreadCpuSeconds() - before;
    for (const SOCKET socket : sockets) {
        closesocket(socket);
    }
    WSACleanup();
    const std::chrono::duration<double> lastBlockSeconds = lastBlock - start;
    std::printf("winsock_floor_cpu_s=%.2f winsock_floor_last_block_s=%.3f\n", cpu,
                lastBlockSeconds.count());
    return 0;
}
