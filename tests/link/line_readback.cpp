#include "line_readback.h"

// The kernel's record, because only it reports rates without a B constant.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <stdexcept>

namespace trelvo::testing {

LineReadback ReadLine(int fd) {
    termios2 settings{};
    if (ioctl(fd, TCGETS2, &settings) != 0) {
        throw std::runtime_error("cannot read the terminal settings");
    }
    const auto cflag = settings.c_cflag;
    return LineReadback{
        .outputRate = settings.c_ospeed,
        .inputRate = settings.c_ispeed,
        .frame8N1 = (cflag & (CSIZE | PARENB | CSTOPB)) == CS8,
        .localReceiver = (cflag & (CLOCAL | CREAD)) == (CLOCAL | CREAD),
        .hardwareHandshake = (cflag & CRTSCTS) != 0,
        .softwareFlowControl = (settings.c_iflag & (IXON | IXOFF | IXANY)) != 0,
        .raw = (settings.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) == 0 &&
               (settings.c_oflag & OPOST) == 0,
    };
}

}  // namespace trelvo::testing
