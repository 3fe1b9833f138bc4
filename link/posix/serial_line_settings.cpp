#include "link/posix/serial_line_settings.h"

#include <sys/ioctl.h>
#include <termios.h>

namespace trelvo {
namespace {

void SetFrame8N1(termios& settings) {
    settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB);
    settings.c_cflag |= CS8;
}

// The receiver is on, and carrier or DSR never stop the line.
void SetLocalReceiver(termios& settings) {
    settings.c_cflag |= CLOCAL | CREAD;
}

// The recorder paces us with CTS and we pace it with RTS; XON/XOFF bytes would
// be taken out of binary data, so software flow control stays off.
void SetHardwareHandshake(termios& settings) {
    settings.c_cflag |= CRTSCTS;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
}

// The link's reads never wait for the line: it only asks for bytes the
// driver has already counted.
void SetReadsReturnAtOnce(termios& settings) {
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
}

}  // namespace

bool ApplyLineSettings(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        return false;
    }
    cfmakeraw(&settings);
    SetFrame8N1(settings);
    SetLocalReceiver(settings);
    SetHardwareHandshake(settings);
    SetReadsReturnAtOnce(settings);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

bool HoldDtrOff(int fd) {
    const int dtr = TIOCM_DTR;
    return ioctl(fd, TIOCMBIC, &dtr) == 0;
}

bool PurgeQueues(int fd) {
    return tcflush(fd, TCIOFLUSH) == 0;
}

}  // namespace trelvo
