#pragma once

namespace trelvo::testing {

// The settings a terminal reports, as far as the serial link sets them.
struct LineReadback {
    unsigned outputRate = 0;
    unsigned inputRate = 0;
    bool frame8N1 = false;
    bool localReceiver = false;
    bool hardwareHandshake = false;
    bool softwareFlowControl = true;
    bool raw = false;

    bool operator==(const LineReadback&) const = default;
};

// Reads the settings of the terminal behind `fd`; on a pseudo-terminal
// master they are those of its slave. Throws when `fd` is no terminal.
LineReadback ReadLine(int fd);

}  // namespace trelvo::testing
