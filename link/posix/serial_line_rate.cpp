#include "link/posix/serial_line_rate.h"

// The kernel's own terminal record carries the rate as a plain number, so
// rates without a B constant (7200, 14400) work too. Its header clashes with
// <termios.h>, which is why the rate lives in a file of its own.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace trelvo {

bool SetLineRate(int fd, int baud) {
    if (baud <= 0) {
        return false;
    }
    termios2 settings{};
    if (ioctl(fd, TCGETS2, &settings) != 0) {
        return false;
    }
    settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = static_cast<speed_t>(baud);
    settings.c_ospeed = static_cast<speed_t>(baud);
    return ioctl(fd, TCSETS2, &settings) == 0;
}

}  // namespace trelvo
