// Start-up: without a socket layer the program shows string 103 and makes
// no window; the dialog's parts are not even asked for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/win32/win32_update_app.h"
#include "ui/win32/win32_standard_dialogs.h"

namespace trelvo {
namespace {

TEST(Win32UpdateApp, SocketLayerThatCannotStartShowsString103AndNoWindow) {
    std::vector<std::wstring> shown;
    int partsAsked = 0;
    Win32UpdateApp app(
        GetModuleHandleW(nullptr), [] { return false; },
        [&shown](const std::wstring& text) { shown.push_back(text); },
        [&partsAsked] {
            ++partsAsked;
            return Win32DialogParts{};
        });
    app.InitInstance();
    EXPECT_EQ(shown, std::vector<std::wstring>{L"Fehler beim Initialisieren der Windows-Sockets."});
    EXPECT_EQ(partsAsked, 0);
}

TEST(Win32UpdateApp, ApplicationNameIsTheExecutablesWithoutExtension) {
    EXPECT_EQ(ApplicationName(), L"trelvo_win32_window_test");
}

}  // namespace
}  // namespace trelvo
