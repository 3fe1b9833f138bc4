// One complete network update of a generated file against the recorder
// simulator on loopback, measured from the tool's side. Prints
//   size_bytes=N blocks=N wall_s=X floor_s=X ratio=X cpu_s=X peak_rss_mib=X tick_p99_ms=X
// where floor_s is the pacing floor of one block per 50 ms tick, and the
// RSS is the peak above the process's idle baseline.
#include <sys/resource.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "job_rig.h"
#include "recorder_sim_process.h"
#include "scratch_dir.h"
#include "ui/localisation/localize_text.h"

namespace {

using trelvo::testing::JobRig;
using trelvo::testing::RecorderSimProcess;

// A figure of /proc/self/status in KiB, e.g. "VmRSS" or "VmHWM".
double StatusMib(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string key;
    double kib = 0;
    while (status >> key) {
        if (key == field + ":") {
            status >> kib;
            return kib / 1024.0;
        }
        status.ignore(4096, '\n');
    }
    return 0;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void WriteUpdateFile(const std::string& path, std::uint64_t size) {
    std::ofstream out(path, std::ios::binary);
    std::vector<char> chunk(std::size_t{64} * 1024);
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        chunk[i] = static_cast<char>(i * 131);
    }
    for (std::uint64_t left = size; left > 0;) {
        const auto n = static_cast<std::streamsize>(std::min<std::uint64_t>(left, chunk.size()));
        out.write(chunk.data(), n);
        left -= static_cast<std::uint64_t>(n);
    }
}

double Percentile99Ms(std::vector<std::int64_t> microseconds) {
    if (microseconds.empty()) {
        return 0;
    }
    std::sort(microseconds.begin(), microseconds.end());
    const std::size_t at = (microseconds.size() * 99 + 99) / 100 - 1;
    return static_cast<double>(microseconds[at]) / 1000.0;
}

}  // namespace

int main(int argc, char** argv) try {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SIZE_BYTES\n", argv[0]);
        return 2;
    }
    const std::uint64_t size = std::strtoull(argv[1], nullptr, 10);
    const trelvo::ScratchDir dir;
    WriteUpdateFile(dir.PathOf("update.sh"), size);
    RecorderSimProcess sim({"--quiet"});
    if (!sim.ok()) {
        std::fprintf(stderr, "%s\n", sim.error().c_str());
        return 1;
    }

    const double baselineMib = StatusMib("VmRSS");
    JobRig rig;
    const double cpuBefore = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    // The job sends the name as given as the recorder's path: a bare name.
    std::filesystem::current_path(dir.path());
    if (!rig.job.StartNetwork("update.sh", "admin", "BENCH", "127.0.0.1", sim.port())) {
        std::fprintf(stderr, "the update did not start\n");
        return 1;
    }
    const int blocks = rig.job.blockCount();
    rig.RunUntilIdle(24 * 60 * 60 * 1000);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuBefore;
    if (rig.outcomes() != std::vector<trelvo::JobOutcome>{{trelvo::Outcome::Succeeded}}) {
        std::fprintf(stderr, "the update failed: %s\n",
                     rig.messages().empty() ? "(no message)" : rig.messages()[0].c_str());
        return 1;
    }
    const double floor = (blocks + 1) * 0.05;
    std::printf(
        "size_bytes=%llu blocks=%d wall_s=%.3f floor_s=%.2f ratio=%.3f cpu_s=%.3f "
        "peak_rss_mib=%.1f tick_p99_ms=%.3f\n",
        static_cast<unsigned long long>(size), blocks, wall, floor, wall / floor, cpu,
        StatusMib("VmHWM") - baselineMib, Percentile99Ms(rig.tickMicroseconds()));
    return 0;
} catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
}
