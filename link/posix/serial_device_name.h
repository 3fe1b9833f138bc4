#pragma once

#include <string>

namespace trelvo {

// The device behind a port name: "COMn" is the n-th standard serial port,
// /dev/ttyS(n-1); any other text already is a device path.
std::string SerialDevicePath(const std::string& device);

}  // namespace trelvo
