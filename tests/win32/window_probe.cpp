// Reads the program's windows from outside, as the window tests see them:
//   trelvo-window-probe wait TITLE SECONDS   waits until a top-level window
//                                            with this exact title is shown
//   trelvo-window-probe gone TITLE SECONDS   waits until none is
//   trelvo-window-probe texts TITLE          prints one line per control:
//                                            id, enabled (1/0), text
//   trelvo-window-probe all-texts TITLE      the same for the controls of
//                                            its child dialogs too
//   trelvo-window-probe titles               prints the titles of the shown
//                                            top-level windows, one a line
//   trelvo-window-probe client TITLE         prints the window's client
//                                            area on the screen as WxH+X+Y
//   trelvo-window-probe centre TITLE ID      prints the centre of one of its
//                                            controls on the screen as X Y
//   trelvo-window-probe rows TITLE ID        prints one line per row of a
//                                            list view control: its check
//                                            (1/0) and each column's text,
//                                            tab-separated
//   trelvo-window-probe checkbox TITLE ID ROW
//                                            prints the centre of a row's
//                                            check box on the screen as X Y
//   trelvo-window-probe within MS gone TITLE
//   trelvo-window-probe within MS enabled TITLE ID
//                                            prints "watching" once it
//                                            times, then waits at most MS
//                                            milliseconds for the window to
//                                            go or the control to be enabled
// Texts are printed as UTF-8. Exits 1 when the window does not show up, or
// does not go, in time.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr DWORD kPollMs = 50;
// What an operator should see at once is looked at more often.
constexpr DWORD kWatchPollMs = 5;

HWND FindShown(const wchar_t* title) {
    HWND window = FindWindowW(nullptr, title);
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

bool WaitFor(const wchar_t* title, double seconds, bool shown) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while (GetTickCount64() < end) {
        if ((FindShown(title) != nullptr) == shown) {
            return true;
        }
        Sleep(kPollMs);
    }
    return false;
}

void PrintUtf8(const std::wstring& text, FILE* stream = stdout) {
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), length, nullptr, nullptr);
    std::fputs(bytes.c_str(), stream);
}

void PrintControl(HWND control) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    std::printf("%d\t%d\t", GetDlgCtrlID(control), IsWindowEnabled(control) ? 1 : 0);
    PrintUtf8(text);
    std::printf("\n");
}

// Only the window's own controls: a combo box's edit field has an id of its
// own that may equal a control's.
BOOL CALLBACK PrintOwnControl(HWND control, LPARAM window) {
    if (GetParent(control) == reinterpret_cast<HWND>(window)) {
        PrintControl(control);
    }
    return TRUE;
}

BOOL CALLBACK PrintAnyControl(HWND control, LPARAM /*window*/) {
    PrintControl(control);
    return TRUE;
}

BOOL CALLBACK PrintTitle(HWND window, LPARAM /*unused*/) {
    wchar_t title[512] = {};
    if (IsWindowVisible(window) && GetWindowTextW(window, title, 512) > 0) {
        PrintUtf8(title);
        std::printf("\n");
    }
    return TRUE;
}

HWND ControlOf(const wchar_t* title, const wchar_t* id) {
    const HWND window = FindShown(title);
    return window != nullptr ? GetDlgItem(window, static_cast<int>(std::wcstol(id, nullptr, 10)))
                             : nullptr;
}

// A list view of another process answers only about memory of its own
// process: the request and its text go through a buffer made there.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, SIZE_T size) {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
        if (process_ != nullptr) {
            address_ = static_cast<char*>(
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
        }
    }
    ~RemoteBuffer() {
        if (address_ != nullptr) {
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
        if (process_ != nullptr) {
            CloseHandle(process_);
        }
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    char* address() const { return address_; }
    void Write(SIZE_T offset, const void* data, SIZE_T size) const {
        WriteProcessMemory(process_, address_ + offset, data, size, nullptr);
    }
    void Read(SIZE_T offset, void* data, SIZE_T size) const {
        ReadProcessMemory(process_, address_ + offset, data, size, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    char* address_ = nullptr;
};

constexpr int kCellChars = 512;

std::wstring CellText(HWND list, const RemoteBuffer& buffer, int row, int column) {
    LVITEMW item{};
    item.iSubItem = column;
    item.cchTextMax = kCellChars;
    item.pszText = reinterpret_cast<LPWSTR>(buffer.address() + sizeof(LVITEMW));
    buffer.Write(0, &item, sizeof item);
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(buffer.address()));
    wchar_t text[kCellChars] = {};
    buffer.Read(sizeof(LVITEMW), text, sizeof text - sizeof(wchar_t));
    return text;
}

int PrintRows(HWND list) {
    const RemoteBuffer buffer(list, sizeof(LVITEMW) + kCellChars * sizeof(wchar_t));
    if (buffer.address() == nullptr) {
        return 1;
    }
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        const auto state =
            static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
        std::printf("%d", (state >> 12) == 2 ? 1 : 0);
        for (int column = 0; column < columns; ++column) {
            std::printf("\t");
            PrintUtf8(CellText(list, buffer, row, column));
        }
        std::printf("\n");
    }
    return 0;
}

int PrintCheckBox(HWND list, int row) {
    const RemoteBuffer buffer(list, sizeof(RECT));
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    buffer.Write(0, &bounds, sizeof bounds);
    if (buffer.address() == nullptr ||
        SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(buffer.address())) == 0) {
        return 1;
    }
    buffer.Read(0, &bounds, sizeof bounds);
    // The state image is the row's first 16 pixels.
    POINT box{bounds.left + 8, (bounds.top + bounds.bottom) / 2};
    ClientToScreen(list, &box);
    std::printf("%ld %ld\n", box.x, box.y);
    return 0;
}

// Times from its "watching" on, so that the caller can act only once the
// clock runs: the probe's own start under Wine is not in the time.
int Within(DWORD ms, const wchar_t* condition, const wchar_t* title, const wchar_t* id) {
    const bool gone = std::wcscmp(condition, L"gone") == 0;
    if (!gone && (std::wcscmp(condition, L"enabled") != 0 || id == nullptr)) {
        return 2;
    }
    const auto met = [&] {
        if (gone) {
            return FindShown(title) == nullptr;
        }
        const HWND control = ControlOf(title, id);
        return control != nullptr && IsWindowEnabled(control) != FALSE;
    };
    std::puts("watching");
    std::fflush(stdout);
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (met()) {
            return 0;
        }
        const ULONGLONG waited = GetTickCount64() - start;
        if (waited > ms) {
            PrintUtf8(L"\"" + std::wstring(title) + L"\" not " + condition + L" within " +
                          std::to_wstring(ms) + L" ms\n",
                      stderr);
            return 1;
        }
        Sleep(kWatchPollMs);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 4 && std::wcscmp(argv[1], L"wait") == 0) {
        return WaitFor(argv[2], std::wcstod(argv[3], nullptr), true) ? 0 : 1;
    }
    if (argc >= 4 && std::wcscmp(argv[1], L"gone") == 0) {
        return WaitFor(argv[2], std::wcstod(argv[3], nullptr), false) ? 0 : 1;
    }
    const bool allTexts = argc >= 3 && std::wcscmp(argv[1], L"all-texts") == 0;
    if (allTexts || (argc >= 3 && std::wcscmp(argv[1], L"texts") == 0)) {
        const HWND window = FindShown(argv[2]);
        if (window == nullptr) {
            return 1;
        }
        EnumChildWindows(window, allTexts ? PrintAnyControl : PrintOwnControl,
                         reinterpret_cast<LPARAM>(window));
        return 0;
    }
    if (argc >= 2 && std::wcscmp(argv[1], L"titles") == 0) {
        EnumWindows(PrintTitle, 0);
        return 0;
    }
    if (argc >= 3 && std::wcscmp(argv[1], L"client") == 0) {
        const HWND window = FindShown(argv[2]);
        RECT area{};
        if (window == nullptr || !GetClientRect(window, &area)) {
            return 1;
        }
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        std::printf("%ldx%ld+%ld+%ld\n", area.right, area.bottom, origin.x, origin.y);
        return 0;
    }
    if (argc >= 4 && std::wcscmp(argv[1], L"centre") == 0) {
        const HWND control = ControlOf(argv[2], argv[3]);
        RECT area{};
        if (control == nullptr || !GetWindowRect(control, &area)) {
            return 1;
        }
        std::printf("%ld %ld\n", (area.left + area.right) / 2, (area.top + area.bottom) / 2);
        return 0;
    }
    if (argc >= 4 && std::wcscmp(argv[1], L"rows") == 0) {
        const HWND list = ControlOf(argv[2], argv[3]);
        return list != nullptr ? PrintRows(list) : 1;
    }
    if (argc >= 5 && std::wcscmp(argv[1], L"checkbox") == 0) {
        const HWND list = ControlOf(argv[2], argv[3]);
        return list != nullptr
                   ? PrintCheckBox(list, static_cast<int>(std::wcstol(argv[4], nullptr, 10)))
                   : 1;
    }
    if (argc >= 5 && std::wcscmp(argv[1], L"within") == 0) {
        return Within(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)), argv[3], argv[4],
                      argc >= 6 ? argv[5] : nullptr);
    }
    std::fputs(
        "usage: trelvo-window-probe wait|gone TITLE SECONDS | titles | texts|all-texts|client "
        "TITLE |"
        " centre TITLE ID | rows TITLE ID | checkbox TITLE ID ROW | within MS gone TITLE | within "
        "MS enabled TITLE ID\n",
        stderr);
    return 2;
}
