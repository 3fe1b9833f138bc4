#pragma once

#include <string>

namespace trelvo {

// Where the fleet window keeps its settings: Trelvo\fleet.json in the
// user's roaming application data (UTF-8), so they follow the operator to
// another computer of the domain. Empty when Windows names no such folder.
std::string FleetSettingsPath();

}  // namespace trelvo
