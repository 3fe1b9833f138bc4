#include "link/serial_line_settings.h"

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

// VMIN cannot count beyond 255, so a waiting read only sleeps for the first
// byte here and the link loops for the rest.
void SetReadProfile(termios& settings, bool waitingReads) {
    settings.c_cc[VMIN] = waitingReads ? 1 : 0;
    settings.c_cc[VTIME] = 0;
}

}  // namespace

void ApplyLineSettings(int fd, bool waitingReads) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        return;
    }
    cfmakeraw(&settings);
    SetFrame8N1(settings);
    SetLocalReceiver(settings);
    SetHardwareHandshake(settings);
    SetReadProfile(settings, waitingReads);
    tcsetattr(fd, TCSANOW, &settings);
}

void HoldDtrOff(int fd) {
    const int dtr = TIOCM_DTR;
    ioctl(fd, TIOCMBIC, &dtr);
}

void PurgeQueues(int fd) {
    tcflush(fd, TCIOFLUSH);
}

}  // namespace trelvo
