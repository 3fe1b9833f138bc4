#include <windows.h>
// After <windows.h>, whose types it uses.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "link/win32/winsock_start.h"
#include "text/utf16_text.h"
#include "tools/cli/console.h"

namespace trelvo {
namespace {

// The console outlives the process: what the run changed of it is put
// back at the end, as a console program is expected to.
UINT savedCodePage = 0;
DWORD savedMode = 0;
bool modeChanged = false;

void RestoreConsole() {
    if (savedCodePage != 0) {
        SetConsoleOutputCP(savedCodePage);
    }
    if (modeChanged) {
        SetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), savedMode);
    }
}

bool IsConsole(DWORD which) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

}  // namespace

std::vector<std::string> Utf8Arguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return arguments;
    }
    for (int i = 1; i < count; ++i) {
        arguments.push_back(Utf8FromUtf16(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

void PrepareOutput() {
    // The C runtime's text mode would turn every line feed into CR LF, so
    // the JSON and result lines would differ from Linux's byte for byte.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::atexit(RestoreConsole);
    if (const UINT codePage = GetConsoleOutputCP(); codePage != 0 && codePage != CP_UTF8) {
        savedCodePage = codePage;
        SetConsoleOutputCP(CP_UTF8);
    }
}

bool PrepareForRecorders(std::string& problem) {
    if (!StartWinsock()) {
        problem = "Windows Sockets cannot be started";
        return false;
    }
    return true;
}

TextReporter::TerminalSize OutputTerminal() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    CONSOLE_SCREEN_BUFFER_INFO info{};
    // In-place lines need the console to read escape sequences; one that
    // cannot gets plain lines instead.
    if (GetConsoleMode(output, &mode) == 0 ||
        SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0) {
        return {};
    }
    if (!modeChanged) {
        savedMode = mode;
        modeChanged = true;
    }
    if (GetConsoleScreenBufferInfo(output, &info) == 0) {
        return {};
    }
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    const int rows = info.srWindow.Bottom - info.srWindow.Top + 1;
    if (columns <= 0 || rows <= 0) {
        return {80, 24};
    }
    return {columns, rows};
}

bool ErrorIsTerminal() {
    return IsConsole(STD_ERROR_HANDLE);
}

}  // namespace trelvo
