// The recorder simulator: a stand-in VDX recorder for tests, demos and
// benchmarks of the update tool. Everything but the command line lives in
// the trelvo_recorder_sim library.
#include <cstdio>
#include <string_view>
#include <vector>

#include "tools/recorder-sim/recorder_server.h"
#include "tools/recorder-sim/sim_options.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const trelvo::ParsedOptions parsed = trelvo::ParseSimOptions(args);
    if (!parsed.options) {
        std::fprintf(stderr, "%s\n(see %s --help)\n", parsed.error.c_str(), argv[0]);
        return 2;
    }
    const trelvo::SimOptions& options = *parsed.options;
    if (options.help) {
        std::fputs(trelvo::SimHelpText(argv[0]).c_str(), stdout);
        return 0;
    }
    return options.pty ? trelvo::ServePty(options) : trelvo::ServeTcp(options);
}
