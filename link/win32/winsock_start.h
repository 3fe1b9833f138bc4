#pragma once

namespace trelvo {

// Starts Winsock 2, whose notifications the network links use; false when
// the system has none to give. The layer is left to the process's end to
// release.
bool StartWinsock();

}  // namespace trelvo
