#include "link/posix/serial_device_name.h"

#include <gtest/gtest.h>

namespace trelvo {
namespace {

TEST(SerialDevicePath, MapsPortNamesAndPassesPathsThrough) {
    const struct {
        const char* device;
        const char* path;
    } cases[] = {
        {"COM1", "/dev/ttyS0"},
        {"COM2", "/dev/ttyS1"},
        {"COM10", "/dev/ttyS9"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"/dev/pts/3", "/dev/pts/3"},
        {"COM0", "COM0"},
        {"COM-1", "COM-1"},
        {"COM", "COM"},
        {"COM1 ", "COM1 "},
        {"COM1x", "COM1x"},
        {"com1", "com1"},
        {"COM99999999999999999999", "COM99999999999999999999"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SerialDevicePath(c.device), c.path) << "device \"" << c.device << '"';
    }
}

}  // namespace
}  // namespace trelvo
