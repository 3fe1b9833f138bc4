#include "tools/cli/password_source.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "link/retry_on_interrupt.h"

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

PasswordResult FromFile(const QString& passwordFile, SecretText& password) {
    const bool standardInput = passwordFile == "-";
    const int fd = standardInput
                       ? STDIN_FILENO
                       : open(passwordFile.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {false, "cannot read the password file " + passwordFile.toStdString() + ": " +
                           std::strerror(errno)};
    }
    std::string line;
    const bool read = ReadFirstLine(fd, line);
    if (!standardInput) {
        close(fd);
    }
    password.Take(line);
    if (!read) {
        return {false, "cannot read a password line of at most 4096 bytes from " +
                           passwordFile.toStdString()};
    }
    if (password.empty()) {
        return {false, "the password file " + passwordFile.toStdString() + " has no password"};
    }
    return {true, {}};
}

// Asks on the controlling terminal with echo off; false when there is none.
bool Prompt(SecretText& password) {
    const int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) {
        return false;
    }
    termios saved{};
    const bool isTerminal = tcgetattr(tty, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        tcsetattr(tty, TCSAFLUSH, &quiet);
        constexpr char kPrompt[] = "Administrator password: ";
        [[maybe_unused]] const ssize_t shown = write(tty, kPrompt, sizeof kPrompt - 1);
    }
    std::string line;
    const bool read = isTerminal && ReadFirstLine(tty, line);
    if (isTerminal) {
        tcsetattr(tty, TCSAFLUSH, &saved);
    }
    close(tty);
    password.Take(line);
    return read;
}

}  // namespace

PasswordResult ReadPassword(const QString& passwordFile, SecretText& password) {
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
        explicit_bzero(inPlace, std::strlen(inPlace));
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
