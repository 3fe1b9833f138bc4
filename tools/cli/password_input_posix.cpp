#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "link/posix/retry_on_interrupt.h"
#include "text/secure_wipe.h"
#include "tools/cli/password_input.h"

namespace trelvo {
namespace {

bool ReadFirstLine(int fd, Secret& password) {
    return TakeFirstLine(
        [fd](char& c) {
            const ssize_t n = RetryOnInterrupt([&] { return ::read(fd, &c, 1); });
            return n < 0 ? ByteRead::Failed : n == 0 ? ByteRead::End : ByteRead::Byte;
        },
        password);
}

// The terminal's settings while echo is off, for the signal handler.
int quietTerminal = -1;
termios loudSettings{};

// Ctrl-C at the prompt must not leave the terminal without echo: put it
// back, then end by the signal as usual (SA_RESETHAND restored the default).
void RestoreEchoAndRaise(int signal) {
    tcsetattr(quietTerminal, TCSAFLUSH, &loudSettings);
    [[maybe_unused]] const ssize_t written = write(quietTerminal, "\n", 1);
    raise(signal);
}

void HandleAtPrompt(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = handler == SIG_DFL ? 0 : SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        sigaction(signal, &action, nullptr);
    }
}

// Asks on a terminal with echo off; false when `fd` is not a terminal.
bool PromptWithoutEcho(int fd, Secret& password) {
    if (tcgetattr(fd, &loudSettings) != 0) {
        return false;
    }
    quietTerminal = fd;
    HandleAtPrompt(RestoreEchoAndRaise);
    termios quiet = loudSettings;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    tcsetattr(fd, TCSAFLUSH, &quiet);
    constexpr char kPrompt[] = "Administrator password: ";
    [[maybe_unused]] const ssize_t shown = write(fd, kPrompt, sizeof kPrompt - 1);
    const bool read = ReadFirstLine(fd, password);
    tcsetattr(fd, TCSAFLUSH, &loudSettings);
    HandleAtPrompt(SIG_DFL);
    quietTerminal = -1;
    return read;
}

}  // namespace

LineRead ReadPasswordLine(const std::string& passwordFile, Secret& password,
                          std::string& openError) {
    const bool standardInput = passwordFile == "-";
    const int fd = standardInput ? STDIN_FILENO : open(passwordFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        openError = std::strerror(errno);
        return LineRead::CannotOpen;
    }
    // A person typing on standard input gets no echo either.
    const bool read = standardInput && isatty(fd) != 0 ? PromptWithoutEcho(fd, password)
                                                       : ReadFirstLine(fd, password);
    if (!standardInput) {
        close(fd);
    }
    return read ? LineRead::Read : LineRead::Failed;
}

bool TakePasswordFromEnvironment(Secret& password) {
    char* value = std::getenv("TRELVO_PASSWORD");
    if (value == nullptr || *value == '\0') {
        return false;
    }
    std::string copy(value);
    password.Take(copy);
    SecureWipe(value, std::strlen(value));
    unsetenv("TRELVO_PASSWORD");
    return true;
}

bool PromptForPassword(Secret& password) {
    const int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) {
        return false;
    }
    const bool read = PromptWithoutEcho(tty, password);
    close(tty);
    return read;
}

}  // namespace trelvo
