#include "link/win32/win32_serial_link.h"

#include <gtest/gtest.h>

namespace trelvo {
namespace {

TEST(Win32SerialDevicePath, PortNamesBecomeDevicePaths) {
    const std::pair<const char*, const char*> cases[] = {
        {"COM1", "\\\\.\\COM1"},
        {"COM2", "\\\\.\\COM2"},
        {"COM12", "\\\\.\\COM12"},
        {"\\\\.\\COM3", "\\\\.\\COM3"},
        {"COM0", "COM0"},
        {"COM1x", "COM1x"},
        {"COM", "COM"},
        {"NUL", "NUL"},
    };
    for (const auto& [name, path] : cases) {
        EXPECT_EQ(Win32SerialDevicePath(name), path) << name;
    }
}

TEST(Win32SerialLink, AClosedLinkHasNothingToGiveOrTake) {
    Win32SerialLink link;
    const std::uint8_t byte = 1;
    EXPECT_FALSE(link.Write(&byte, 1));
    EXPECT_FALSE(link.IsOutputEmpty());
    EXPECT_EQ(link.InputCount(), 0U);
    EXPECT_FALSE(link.Open("\\\\.\\TrelvoNoSuchPort", 115200, true));
    link.Close();
}

}  // namespace
}  // namespace trelvo
