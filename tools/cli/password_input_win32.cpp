#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "text/secure_wipe.h"
#include "text/utf16_text.h"
#include "text/utf8_path.h"
#include "tools/cli/password_input.h"

namespace trelvo {
namespace {

bool ReadFirstLine(HANDLE file, Secret& password) {
    return TakeFirstLine(
        [file](char& c) {
            DWORD n = 0;
            if (ReadFile(file, &c, 1, &n, nullptr) == 0) {
                // A pipe whose writer has gone reports its end as an error.
                return GetLastError() == ERROR_BROKEN_PIPE ? ByteRead::End : ByteRead::Failed;
            }
            return n == 0 ? ByteRead::End : ByteRead::Byte;
        },
        password);
}

// The console's input mode while echo is off, for the control handler.
HANDLE quietConsole = INVALID_HANDLE_VALUE;
DWORD loudMode = 0;

// Ctrl+C at the prompt must not leave the console without echo, which
// outlives the process: put it back, then let the default handler end it.
BOOL WINAPI RestoreEcho(DWORD) {
    SetConsoleMode(quietConsole, loudMode);
    return FALSE;
}

// One line from a console with echo off, as UTF-8; false when `input` is
// not a console.
bool PromptWithoutEcho(HANDLE input, Secret& password) {
    if (GetConsoleMode(input, &loudMode) == 0) {
        return false;
    }
    quietConsole = input;
    SetConsoleCtrlHandler(&RestoreEcho, TRUE);
    SetConsoleMode(input, (loudMode | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) &
                              ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    const HANDLE output =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    const auto show = [output](const wchar_t* text) {
        DWORD written = 0;
        WriteConsoleW(output, text, static_cast<DWORD>(std::wcslen(text)), &written, nullptr);
    };
    show(L"Administrator password: ");
    std::wstring line(kMaxPasswordBytes + 2, L'\0');
    DWORD count = 0;
    const bool read =
        ReadConsoleW(input, line.data(), static_cast<DWORD>(line.size()), &count, nullptr) != 0;
    show(L"\r\n");
    SetConsoleMode(input, loudMode);
    SetConsoleCtrlHandler(&RestoreEcho, FALSE);
    quietConsole = INVALID_HANDLE_VALUE;
    if (output != INVALID_HANDLE_VALUE) {
        CloseHandle(output);
    }
    // The line as typed, without the line end the console adds.
    const std::size_t end = std::min<std::size_t>(count, line.find_first_of(L"\r\n"));
    std::wstring typed = line.substr(0, end);
    std::string utf8 = Utf8FromUtf16(typed);
    SecureWipe(line.data(), line.size() * sizeof(wchar_t));
    SecureWipe(typed.data(), typed.size() * sizeof(wchar_t));
    const bool fits = utf8.size() <= kMaxPasswordBytes;
    password.Take(utf8);
    if (!fits) {
        password.Wipe();
    }
    return read && fits;
}

std::string SystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text, length);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(error) : Utf8FromUtf16(message);
}

}  // namespace

LineRead ReadPasswordLine(const std::string& passwordFile, Secret& password,
                          std::string& openError) {
    if (passwordFile == "-") {
        const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
        // A person typing on standard input gets no echo either.
        DWORD mode = 0;
        const bool read = GetConsoleMode(input, &mode) != 0 ? PromptWithoutEcho(input, password)
                                                            : ReadFirstLine(input, password);
        return read ? LineRead::Read : LineRead::Failed;
    }
    const std::optional<std::filesystem::path> path = Utf8Path(passwordFile);
    const HANDLE file =
        path ? CreateFileW(path->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
             : INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE) {
        openError = path ? SystemMessage(GetLastError()) : "the name is not UTF-8";
        return LineRead::CannotOpen;
    }
    const bool read = ReadFirstLine(file, password);
    CloseHandle(file);
    return read ? LineRead::Read : LineRead::Failed;
}

bool TakePasswordFromEnvironment(Secret& password) {
    constexpr const wchar_t* kName = L"TRELVO_PASSWORD";
    const DWORD size = GetEnvironmentVariableW(kName, nullptr, 0);
    if (size <= 1) {
        return false;
    }
    std::wstring wide(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(kName, wide.data(), size);
    wide.resize(length < size ? length : 0);
    std::string utf8 = Utf8FromUtf16(wide);
    SecureWipe(wide.data(), wide.size() * sizeof(wchar_t));
    password.Take(utf8);
    // Both copies: the system's, and the C runtime's of the process start.
    SetEnvironmentVariableW(kName, nullptr);
    if (char* inRuntime = std::getenv("TRELVO_PASSWORD")) {
        SecureWipe(inRuntime, std::strlen(inRuntime));
    }
    _putenv_s("TRELVO_PASSWORD", "");
    return !password.empty();
}

bool PromptForPassword(Secret& password) {
    const HANDLE console =
        CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool read = PromptWithoutEcho(console, password);
    CloseHandle(console);
    return read;
}

}  // namespace trelvo
