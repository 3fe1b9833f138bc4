#include <gtest/gtest.h>

#include <fstream>

#include "link/serial_link.h"
#include "link/win32/win32_serial_backend.h"

namespace trelvo {
namespace {

TEST(Win32SerialDevicePath, BareNamesGoToTheDeviceNamespace) {
    const std::pair<const char*, const char*> cases[] = {
        {"COM1", "\\\\.\\COM1"},
        {"COM12", "\\\\.\\COM12"},
        {"\\\\.\\COM3", "\\\\.\\COM3"},
        {"C:\\ports\\line", "C:\\ports\\line"},
        {"", ""},
    };
    for (const auto& [name, path] : cases) {
        EXPECT_EQ(Win32SerialDevicePath(name), path) << name;
    }
}

// A file takes no line settings, and is held for this link alone.
TEST(Win32SerialLink, ADeviceThatRefusesTheSettingsStillOpensForOneHolder) {
    std::ofstream("not-a-port.bin") << "x";
    const std::string path = ".\\not-a-port.bin";
    SerialLink link;
    EXPECT_FALSE(link.IsOutputEmpty());
    EXPECT_FALSE(link.Open("TrelvoNoSuchPort", 115200, true));
    ASSERT_TRUE(link.Open(path, 115200, true));
    EXPECT_NE(link.refusedSteps() & SerialLink::kLineSettings, 0U);
    SerialLink second;
    EXPECT_FALSE(second.Open(path, 115200, true));
    const std::uint8_t bytes[] = {1, 2, 3};
    EXPECT_TRUE(link.Write(bytes, 3));
    link.Close();
    EXPECT_FALSE(link.HasFailed());
    EXPECT_TRUE(second.Open(path, 115200, true));
}

}  // namespace
}  // namespace trelvo
