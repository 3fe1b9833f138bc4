#pragma once

namespace trelvo {

// Sets the line to `baud` bits per second, as given, in both directions, and
// says whether it did. A rate the driver refuses leaves the previous one; 0
// (which would hang the line up) and negative numbers are never applied.
bool SetLineRate(int fd, int baud);

}  // namespace trelvo
