#include "tools/cli/password_source.h"

#include "tools/cli/password_input.h"

namespace trelvo {

bool TakeFirstLine(const std::function<ByteRead(char&)>& nextByte, Secret& password) {
    std::string line;
    line.reserve(kMaxPasswordBytes + 1);
    bool read = true;
    for (char c = 0;;) {
        const ByteRead got = nextByte(c);
        if (got == ByteRead::Failed) {
            read = false;
            break;
        }
        if (got == ByteRead::End || c == '\n') {
            break;
        }
        if (line.size() == kMaxPasswordBytes) {
            read = false;
            break;
        }
        line.push_back(c);
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    password.Take(line);
    return read;
}

namespace {

PasswordResult FromFile(const std::string& passwordFile, Secret& password) {
    std::string openError;
    switch (ReadPasswordLine(passwordFile, password, openError)) {
        case LineRead::CannotOpen:
            return {false, "cannot read the password file " + passwordFile + ": " + openError};
        case LineRead::Failed:
            return {false, "cannot read a password line of at most " +
                               std::to_string(kMaxPasswordBytes) + " bytes from " + passwordFile};
        case LineRead::Read:
            break;
    }
    if (password.empty()) {
        return {false, "the password file " + passwordFile + " has no password"};
    }
    return {true, {}};
}

}  // namespace

PasswordResult ReadPassword(const std::string& passwordFile, Secret& password) {
    if (!passwordFile.empty()) {
        return FromFile(passwordFile, password);
    }
    if (TakePasswordFromEnvironment(password)) {
        return {true, {}};
    }
    if (PromptForPassword(password) && !password.empty()) {
        return {true, {}};
    }
    return {false,
            "no password: use --password-file, the environment variable TRELVO_PASSWORD or a "
            "terminal"};
}

}  // namespace trelvo
