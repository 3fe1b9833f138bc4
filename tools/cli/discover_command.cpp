#include "tools/cli/discover_command.h"

#include <cmath>
#include <iostream>

#include "fleet/address_range.h"
#include "fleet/atomic_file.h"
#include "fleet/discovery.h"
#include "fleet/fleet.h"
#include "fleet/json_line.h"
#include "tools/cli/console.h"
#include "tools/cli/interrupt_watch.h"
#include "tools/cli/platform_loop.h"

namespace trelvo {
namespace {

int UsageProblem(const std::string& text) {
    std::cerr << "trelvo-cli: " << text << '\n';
    return 2;
}

// Every address of the blocks, in ascending order.
std::vector<RecorderTarget> Targets(const AddressRanges& ranges) {
    std::vector<RecorderTarget> targets;
    targets.reserve(ranges.count);
    for (const AddressBlock& block : ranges.blocks) {
        for (std::uint64_t address = block.first; address <= block.last; ++address) {
            targets.push_back({static_cast<int>(targets.size()),
                               DottedAddress(static_cast<std::uint32_t>(address)), false});
        }
    }
    return targets;
}

void Print(const std::vector<FoundRecorder>& found, bool json) {
    for (const FoundRecorder& recorder : found) {
        if (json) {
            std::cout << JsonLine(DiscoveryJson(recorder));
        } else {
            std::cout << DiscoveryLine(recorder);
        }
        std::cout << '\n';
    }
    std::cout << std::flush;
}

}  // namespace

int RunDiscover(const DiscoverOptions& options) {
    const AddressRanges ranges = ParseAddressRanges(options.ranges);
    if (!ranges.ok()) {
        return UsageProblem(ranges.error);
    }
    // Opened now, so a file that cannot be written is refused before the
    // run; it replaces FILE only once it is complete.
    const std::string& hostsOutPath = options.hostsOut;
    AtomicFile hostsOut(hostsOutPath);
    if (!hostsOutPath.empty() && !hostsOut.Open()) {
        return UsageProblem("cannot write " + hostsOutPath + ": " + hostsOut.error());
    }

    UpdateRequest request;
    request.goal = JobGoal::ProbeVersion;
    request.port = options.port;
    request.timeoutMs = static_cast<std::uint32_t>(std::lround(options.timeoutSeconds * 1000));
    // A version probe never sends it; the fleet hands every job one.
    Secret noPassword;
    DiscoveryCollector collector(ErrorIsTerminal() ? &std::cerr : nullptr, ranges.count);
    PlatformEventLoop loop;
    PlatformTickClock clock;
    Fleet fleet(Targets(ranges), std::move(request), noPassword, options.parallel, loop, clock,
                RealRecorderLinks, collector, [&loop](int) { loop.Quit(0); });
    bool interrupted = false;
    const InterruptWatch interrupts(loop, [&] {
        interrupted = true;
        fleet.Abort();
    });
    fleet.Run();
    loop.Run();

    const std::vector<FoundRecorder> found = collector.Found();
    Print(found, options.json);
    if (interrupted) {
        // A partial list must not replace a whole one.
        std::cerr << "trelvo-cli: discovery interrupted; the list is incomplete\n";
        return 1;
    }
    if (!hostsOutPath.empty()) {
        for (const FoundRecorder& recorder : found) {
            hostsOut.Write(HostsFileLine(recorder) + '\n');
        }
        if (!hostsOut.Commit()) {
            std::cerr << "trelvo-cli: cannot write " << hostsOutPath << ": " << hostsOut.error()
                      << '\n';
            return 1;
        }
    }
    return found.empty() ? 1 : 0;
}

}  // namespace trelvo
