#include "link/posix/serial_device_name.h"

#include <charconv>
#include <string_view>
#include <system_error>

namespace trelvo {

std::string SerialDevicePath(const std::string& device) {
    constexpr std::string_view prefix = "COM";
    if (device.starts_with(prefix)) {
        const char* first = device.data() + prefix.size();
        const char* last = device.data() + device.size();
        int number = 0;
        const auto [end, error] = std::from_chars(first, last, number);
        if (error == std::errc{} && end == last && number >= 1) {
            return "/dev/ttyS" + std::to_string(number - 1);
        }
    }
    return device;
}

}  // namespace trelvo
