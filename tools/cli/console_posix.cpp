#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "tools/cli/console.h"

namespace trelvo {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

void PrepareOutput() {}

bool PrepareForRecorders(std::string&) {
    // A limit that cannot be raised still lets a smaller run go ahead.
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    return true;
}

TextReporter::TerminalSize OutputTerminal() {
    if (isatty(STDOUT_FILENO) == 0) {
        return {};
    }
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) {
        return {80, 24};
    }
    return {size.ws_col, size.ws_row};
}

bool ErrorIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

}  // namespace trelvo
