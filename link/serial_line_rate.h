#pragma once

namespace trelvo {

// Sets the line to `baud` bits per second, as given, in both directions. A
// rate the driver refuses leaves the previous one; 0 (which would hang the
// line up) and negative numbers are never applied.
void SetLineRate(int fd, int baud);

}  // namespace trelvo
