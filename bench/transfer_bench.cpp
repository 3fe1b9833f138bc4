// One complete network update of a generated file against the recorder
// simulator on loopback, measured from the tool's side. Prints
//   size_bytes=N blocks=N wall_s=X floor_s=X ratio=X cpu_s=X peak_rss_mib=X tick_p99_ms=X
// where blocks follow the network block rule for the file's size, floor_s is
// the pacing floor of one block per 50 ms tick, and the RSS is the peak above
// the process's idle baseline. Exits 1 when the simulator did not receive
// the file byte for byte or a target is missed.
#include <sys/resource.h>

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cpu_seconds.h"
#include "job_rig.h"
#include "localisation/localize_text.h"
#include "recorder_sim_process.h"
#include "scratch_dir.h"

namespace {

using trelvo::testing::JobRig;
using trelvo::testing::RecorderSimProcess;

// Targets: the pacing floor met within 3 % from 5 MB up, short ticks, and
// memory that does not grow with the file.
constexpr std::uint64_t kRatioTargetFromBytes = 5000000;
constexpr double kMaxRatio = 1.03;
constexpr double kMaxTickP99Ms = 5.0;
constexpr double kMaxPeakRssMib = 40.0;

// The network block rule: a hundred blocks while each stays within 1 MiB,
// else as many 1 MiB blocks as the file needs; a file under 1024 bytes is
// one block. Written out here so the floor does not take the job's word.
std::uint64_t NetworkBlocks(std::uint64_t size) {
    constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
    if (size < 1024) {
        return 1;
    }
    if (size / 100 <= kMiB) {
        return 100;
    }
    return (size + kMiB - 1) / kMiB;
}

// Forgets the peak resident size so far: VmHWM restarts from VmRSS.
bool ResetPeakRss() {
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    clearRefs.flush();
    return static_cast<bool>(clearRefs);
}

std::string Fixed(double value, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
}

// The file's SHA-256 in lower-case hex, by the system's sha256sum.
std::string Sha256Hex(const std::string& path) {
    QProcess sum;
    sum.start(QStringLiteral("sha256sum"), {QString::fromStdString(path)});
    if (!sum.waitForFinished(-1) || sum.exitCode() != 0) {
        return {};
    }
    return QString::fromLatin1(sum.readAllStandardOutput())
        .section(QLatin1Char(' '), 0, 0)
        .toStdString();
}

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
    const std::string file = dir.PathOf("update.sh");
    WriteUpdateFile(file, size);
    RecorderSimProcess sim({"--quiet"});
    if (!sim.ok()) {
        std::fprintf(stderr, "%s\n", sim.error().c_str());
        return 1;
    }

    if (!ResetPeakRss()) {
        std::fprintf(stderr, "cannot reset the peak resident size\n");
        return 1;
    }
    const double baselineMib = StatusMib("VmRSS");
    JobRig rig;
    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    const auto start = std::chrono::steady_clock::now();
    // The job sends the name as given as the recorder's path: a bare name.
    std::filesystem::current_path(dir.path());
    if (!rig.job.StartNetwork("update.sh", "admin", "BENCH", "127.0.0.1", sim.port())) {
        std::fprintf(stderr, "the update did not start\n");
        return 1;
    }
    const std::uint64_t blocks = NetworkBlocks(size);
    const int jobBlocks = rig.job.blockCount();
    rig.RunUntilIdle(24 * 60 * 60 * 1000);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = CpuSeconds(RUSAGE_SELF) - cpuBefore;
    const double peakMib = StatusMib("VmHWM") - baselineMib;
    if (rig.outcomes() != std::vector<trelvo::JobOutcome>{{trelvo::Outcome::Succeeded}}) {
        std::fprintf(stderr, "the update failed: %s\n",
                     rig.messages().empty() ? "(no message)" : rig.messages()[0].c_str());
        return 1;
    }
    const double floor = static_cast<double>(blocks + 1) * 0.05;
    const double ratio = wall / floor;
    const double tickP99 = Percentile99Ms(rig.tickMicroseconds());
    std::printf(
        "size_bytes=%llu blocks=%llu wall_s=%.3f floor_s=%.2f ratio=%.3f cpu_s=%.3f "
        "peak_rss_mib=%.1f tick_p99_ms=%.3f\n",
        static_cast<unsigned long long>(size), static_cast<unsigned long long>(blocks), wall, floor,
        ratio, cpu, peakMib, tickP99);
    std::fflush(stdout);

    bool met = true;
    const auto miss = [&met, size](const std::string& what) {
        std::fprintf(stderr, "size_bytes=%llu: %s\n", static_cast<unsigned long long>(size),
                     what.c_str());
        met = false;
    };
    if (static_cast<std::uint64_t>(jobBlocks) != blocks) {
        miss("the job cut " + std::to_string(jobBlocks) + " blocks, the rule gives " +
             std::to_string(blocks));
    }
    // The line comes before the transfer reply, so it is normally there already.
    rig.RunUntil([&sim] { return !sim.ReceivedFiles().empty(); }, 10000);
    const std::vector<std::string> received = sim.ReceivedFiles();
    const std::string sentHash = Sha256Hex(file);
    const std::string expected =
        "file received " + std::to_string(size) + " bytes sha256=" + sentHash;
    if (sentHash.empty()) {
        miss("cannot hash the sent file with sha256sum");
    } else if (received.size() != 1 || !received[0].ends_with(": " + expected)) {
        miss("the simulator did not receive the sent file: " +
             (received.empty() ? std::string("nothing received") : received.back()));
    }
    if (size >= kRatioTargetFromBytes && ratio > kMaxRatio) {
        miss("ratio " + Fixed(ratio, 3) + " above " + Fixed(kMaxRatio, 2));
    }
    if (tickP99 > kMaxTickP99Ms) {
        miss("tick_p99_ms " + Fixed(tickP99, 3) + " above " + Fixed(kMaxTickP99Ms, 1));
    }
    if (peakMib > kMaxPeakRssMib) {
        miss("peak_rss_mib " + Fixed(peakMib, 1) + " above " + Fixed(kMaxPeakRssMib, 1));
    }
    return met ? 0 : 1;
} catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
}
