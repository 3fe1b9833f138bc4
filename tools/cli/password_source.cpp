#include "tools/cli/password_source.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "link/posix/retry_on_interrupt.h"
#include "text/secure_wipe.h"

namespace trelvo {
namespace {

// Passwords are short; a longer first line is refused rather than cut.
constexpr std::size_t kMaxPassword = 4096;

// Reads up to the first line feed, one byte at a time so that nothing after
// the line is consumed and no library buffer keeps a copy.
bool ReadFirstLine(int fd, std::string& line) {
    line.reserve(kMaxPassword + 1);
    char c = 0;
    for (;;) {
        const ssize_t n = RetryOnInterrupt([&] { return read(fd, &c, 1); });
        if (n < 0) {
            return false;
        }
        if (n == 0 || c == '\n') {
            break;
        }
        if (line.size() == kMaxPassword) {
            return false;
        }
        line.push_back(c);
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
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
    std::string line;
    const bool read = ReadFirstLine(fd, line);
    tcsetattr(fd, TCSAFLUSH, &loudSettings);
    HandleAtPrompt(SIG_DFL);
    quietTerminal = -1;
    password.Take(line);
    return read;
}

// The controlling terminal, when there is one.
bool Prompt(Secret& password) {
    const int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) {
        return false;
    }
    const bool read = PromptWithoutEcho(tty, password);
    close(tty);
    return read;
}

PasswordResult FromFile(const QString& passwordFile, Secret& password) {
    const bool standardInput = passwordFile == "-";
    const int fd = standardInput
                       ? STDIN_FILENO
                       : open(passwordFile.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {false, "cannot read the password file " + passwordFile.toStdString() + ": " +
                           std::strerror(errno)};
    }
    // A person typing on standard input gets no echo either.
    bool read = false;
    if (standardInput && isatty(fd) != 0) {
        read = PromptWithoutEcho(fd, password);
    } else {
        std::string line;
        read = ReadFirstLine(fd, line);
        password.Take(line);
    }
    if (!standardInput) {
        close(fd);
    }
    if (!read) {
        return {false, "cannot read a password line of at most 4096 bytes from " +
                           passwordFile.toStdString()};
    }
    if (password.empty()) {
        return {false, "the password file " + passwordFile.toStdString() + " has no password"};
    }
    return {true, {}};
}

}  // namespace

PasswordResult ReadPassword(const QString& passwordFile, Secret& password) {
    if (!passwordFile.isEmpty()) {
        return FromFile(passwordFile, password);
    }
    if (const char* fromEnvironment = std::getenv("TRELVO_PASSWORD");
        fromEnvironment != nullptr && *fromEnvironment != '\0') {
        std::string copy(fromEnvironment);
        password.Take(copy);
        // Also out of the process's environment, where others of the same
        // user could read it for as long as the run lasts.
        char* inPlace = std::getenv("TRELVO_PASSWORD");
        SecureWipe(inPlace, std::strlen(inPlace));
        unsetenv("TRELVO_PASSWORD");
        return {true, {}};
    }
    if (Prompt(password) && !password.empty()) {
        return {true, {}};
    }
    return {false,
            "no password: use --password-file, the environment variable TRELVO_PASSWORD or a "
            "terminal"};
}

}  // namespace trelvo
